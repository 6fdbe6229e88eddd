#include "station/Station.h"

#include "core/Globals.h"
#include "measurement/Tsensor.h"
#include "station/Settingsfile.h"

namespace {

// The minutes the station asked its history for at the start, served again to each part that
// looks back a shorter span.
struct TrecalledMinutes : TreadingHistory {
    explicit TrecalledMinutes(std::vector<TpastMinute> minutes) : all(std::move(minutes)) {}
    std::vector<TpastMinute> minutes(std::int64_t from, std::int64_t to) const override {
        std::vector<TpastMinute> out;
        for (const TpastMinute& m : all)
            if (m.time >= from && m.time <= to) out.push_back(m);
        return out;
    }
    std::vector<TpastMinute> all;
};

} // namespace

Tstation::Tstation(TcalendarClock calendar)
    : clock(std::move(calendar)), sensorPart(std::make_unique<Tsensor>()),
      meteoPart(std::make_unique<Tmeteo>(clock)), seq(std::make_unique<TseqMAIN>()) {
    attachParts(nullptr);
    theSystem.sensor = sensorPart.get();
    theSystem.meteo = meteoPart.get();
    theSystem.seqMain = seq.get();
    theSystem.mainView = this;
}

Tstation::~Tstation() {
    shutDown();
}

void Tstation::shutDown() {
    stopped = true;
    sensorPart.reset();
    theSystem.sensor = nullptr;
    seq.reset();
    theSystem.seqMain = nullptr;
    meteoPart.reset();
    theSystem.meteo = nullptr;
    if (theSystem.mainView == this) theSystem.mainView = nullptr;
}

void Tstation::removeSink(TreadingSink* sink) {
    std::erase(sinks, sink);
}

void Tstation::setSettingsFile(std::string fileName, bool everySearch) {
    settingsFile = std::move(fileName);
    settingsEverySearch = everySearch;
}

void Tstation::setSearchPlan(TseqMAIN::TsearchPlan plan) {
    seq->searchPlan = std::move(plan);
}

void Tstation::setApp(TappControl* app) {
    if (seq) attachParts(app);
}

void Tstation::attachParts(TappControl* app) {
    seq->attach(
        {.sensor = sensorPart.get(), .intro = this, .view = this, .settings = this, .app = app});
}

void Tstation::start() {
    recall();
    seq->start();
}

// The past at the start: the pressure products' recent hours, and the weather model's hourly
// history rebuilt from the sea-level pressures, far enough back to fill every entry.
// The history is asked once, for the longest span any of them looks back.
void Tstation::recall() {
    if (!history) return;
    const std::int64_t now = clock();
    const std::int64_t span = std::int64_t(Tmeteo::historySize + 1) * 3600;
    const TrecalledMinutes recalled(history->minutes(now - span, now));
    products.recall(recalled, now);
    std::vector<std::pair<std::int64_t, double>> pressures;
    for (const TpastMinute& minute : recalled.all)
        if (minute.seaLevelPressure) pressures.emplace_back(minute.time, *minute.seaLevelPressure);
    meteoPart->replay(pressures, now);
}

double Tstation::qfe() const {
    const double measured = sensorPart->pressure;
    return measured > 0 && measured < Tsensor::Invalid ? measured + pressureOffset : measured;
}

void Tstation::searchAgain() {
    seq->restart();
}

void Tstation::moduleLost() {
    lost = true;
    tell([](TreadingSink* sink) { sink->moduleLost(); });
    seq->restart();
}

void Tstation::stop() {
    stopped = true;
    if (seq) seq->cancel(nullptr, false);
}

// The extremes start afresh from the present values and every derived value follows the
// settings; the weather model takes the sea-level pressure again.
bool Tstation::readSettings(const std::string& fileName) {
    if (!readSettingsFile(fileName, *this)) return false;
    derived.resetMinMax(qfe(), sensorPart->temperature);
    updateDerived();
    tell([](TreadingSink* sink) { sink->settingsReloaded(); });
    return true;
}

void Tstation::reloadSettings() {
    settingsLoaded = true;
    readSettings(settingsFile);
}

void Tstation::loadStartupSettings() {
    if (settingsFile.empty() || (settingsLoaded && !settingsEverySearch)) return;
    if (settingsEverySearch) meteoPart->show(); // whether or not the file can be read
    reloadSettings();
}

void Tstation::clearMinMax() {
    derived.resetMinMax(qfe(), sensorPart->temperature);
}

Treading Tstation::readingNow() const {
    const Tsensor& s = *sensorPart;
    Treading r;
    r.time = clock();
    r.link = s.link;
    const double p = qfe();
    if (p < Tsensor::Invalid) {
        r.pressure = p;
        r.altitude = derived.altitude;
    }
    if (derived.seaLevelPressureValid(p)) r.seaLevelPressure = derived.seaLevelPressure;
    r.pressureOffset = pressureOffset;
    if (s.temperature < Tsensor::InvalidTemperature) r.temperature = s.temperature;
    if (s.humidity < Tsensor::Invalid) r.humidity = s.humidity;
    if (s.humidityTemperature < Tsensor::Invalid) r.humidityTemperature = s.humidityTemperature;
    r.weatherClass = meteoPart->getWeatherClass();
    r.trend = meteoPart->getTrend();
    r.D1 = s.getD1();
    r.D2 = s.getD2();
    return r;
}

void Tstation::deliver(const Treading& reading) {
    for (TreadingSink* sink : std::vector<TreadingSink*>(sinks)) {
        if (stopped) return;
        sink->reading(reading);
    }
}

template <class Event> void Tstation::tell(Event event) {
    for (TreadingSink* sink : std::vector<TreadingSink*>(sinks))
        event(sink);
}

void Tstation::showIntro() {
    tell([](TreadingSink* sink) { sink->searchStarted(); });
}

void Tstation::searching(const char* port) {
    const std::string name = port ? port : "";
    tell([&name](TreadingSink* sink) { sink->portTried(name); });
}

void Tstation::result(bool found) {
    tell([found](TreadingSink* sink) { sink->portResult(found); });
}

void Tstation::closeIntro(bool found) {
    tell([found](TreadingSink* sink) { sink->searchEnded(found); });
    if (!found || !lost) return;
    lost = false;
    tell([](TreadingSink* sink) { sink->moduleFoundAgain(); });
}

void Tstation::setModuleText(const char*) {
    const int link = sensorPart ? sensorPart->link : 0;
    tell([link](TreadingSink* sink) { sink->linkChanged(link); });
}

void Tstation::resetReference() {
    derived.resetReference(qfe(), sensorPart->temperature);
    if (!history) meteoPart->clearHistory(); // a station with a history goes on with it
    tell([](TreadingSink* sink) { sink->referenceReset(); });
}

// The weather model sees valid pressures only: the invalid marker would classify as sunny and
// stay in the hourly history.
void Tstation::updateDerived() {
    const double p = qfe();
    derived.update(p, sensorPart->temperature);
    if (derived.seaLevelPressureValid(p)) meteoPart->update(derived.seaLevelPressure);
}

void Tstation::showSample() {
    updateDerived();
    Treading reading = readingNow();
    if (history) products.fill(reading, derived.localAltitude);
    deliver(reading);
}
