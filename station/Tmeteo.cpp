#include "station/Tmeteo.h"

#include "core/Globals.h"
#include "station/MeteoView.h"

#include <ctime>
#include <utility>

namespace {

// The bars of the main window by the age of the entry they show, in the order they are set.
constexpr std::array<int, 6> shownEntries{0, 1, 2, 4, 8, 16};

constexpr double barSpan = 14.0;

} // namespace

std::int64_t systemCalendarTime() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

const char* weatherText(int weatherClass, double temperature) {
    switch (weatherClass) {
    case WEATHER_SUNNY: return "Sunny";
    case WEATHER_VARIABLE: return "Variable";
    case WEATHER_OVERCAST: return "Overcast";
    case WEATHER_RAIN:
        if (temperature >= 3) return "Rainy";
        if (temperature >= -1) return "Snow & Rain";
        return "Snow";
    default: return "";
    }
}

const char* trendText(int trend) {
    switch (trend) {
    case TREND_QUICK_DOWN: return "thunderstorm";
    case TREND_SLOW_DOWN: return "Longterm low pressure system";
    case TREND_CONSTANT: return "Constant";
    case TREND_QUICK_UP: return "intermediate high pressure system";
    case TREND_SLOW_UP: return "longterm high pressure system";
    default: return "";
    }
}

Tmeteo::Tmeteo(TcalendarClock c) : clock(std::move(c)) {
    history.fill(emptyEntry);
}

double Tmeteo::getHistory(int i) const {
    if (i < 0 || i >= historySize) return emptyEntry;
    return history[static_cast<std::size_t>(i)];
}

void Tmeteo::update(double x) {
    classify(x);
    const std::int64_t now = clock();
    if (!historyStarted || now - historyPeriod >= lastHistoryTime) {
        pushHistory(x);
        lastHistoryTime = now;
        historyStarted = true;
    } else if (now < lastHistoryTime) {
        // The clock was set back: the current period starts now, so the next entry comes one
        // period from here instead of after the lost time has passed again.
        lastHistoryTime = now;
    }
}

void Tmeteo::replay(const std::vector<std::pair<std::int64_t, double>>& past, std::int64_t now) {
    for (const auto& [time, x] : past) {
        classify(x);
        if (historyStarted && time - historyPeriod < lastHistoryTime) continue;
        if (historyStarted) pushGaps(lastHistoryTime, time);
        pushHistory(x);
        lastHistoryTime = time;
        historyStarted = true;
    }
    if (historyStarted) pushGaps(lastHistoryTime, now);
    show();
}

// One empty entry for each whole period after the first between two times; the last push
// time moves on with them.
void Tmeteo::pushGaps(std::int64_t from, std::int64_t to) {
    for (std::int64_t t = from + 2 * historyPeriod; t <= to; t += historyPeriod) {
        for (std::size_t i = historySize - 1; i > 0; --i)
            history[i] = history[i - 1];
        history[0] = emptyEntry;
        lastHistoryTime = t - historyPeriod;
    }
}

void Tmeteo::clearHistory() {
    history.fill(emptyEntry);
    lastHistoryTime = 0;
    historyStarted = false;
    barHigh = 0.0;
    barLow = -1.0;
}

void Tmeteo::classify(double x) {
    const double h = hysteresis;
    if (x >= sunnyLimit + h) weatherClass = WEATHER_SUNNY;
    if (x < sunnyLimit - h) {
        if (x >= variableLimit + h) weatherClass = WEATHER_VARIABLE;
        if (x < variableLimit - h) {
            if (x >= overcastLimit + h) weatherClass = WEATHER_OVERCAST;
            if (x < overcastLimit - h) weatherClass = WEATHER_RAIN;
        }
    }
}

void Tmeteo::pushHistory(double x) {
    for (std::size_t i = historySize - 1; i > 0; --i)
        history[i] = history[i - 1];
    history[0] = x;
    adaptBarScale(x);
    showBars();
    computeTrend();
}

void Tmeteo::show() {
    showBars();
    computeTrend();
}

void Tmeteo::showBars() const {
    TmeteoView* view = theSystem.meteoView;
    if (!view) return;
    for (int bar : shownEntries) {
        const double value = history[static_cast<std::size_t>(bar)];
        const bool filled = value != emptyEntry;
        view->setBarEnabled(bar, filled);
        if (filled) view->setBarValue(bar, value);
    }
}

void Tmeteo::adaptBarScale(double x) {
    bool changed = false;
    if (x > barHigh) {
        const bool first = barHigh == 0.0;
        barHigh = first ? x + barSpan / 2 : x;
        barLow = first ? x - barSpan / 2 : x - barSpan;
        changed = true;
    }
    if (x < barLow) {
        barLow = x;
        barHigh = x + barSpan;
        changed = true;
    }
    TmeteoView* view = theSystem.meteoView;
    if (!changed || view == nullptr) return;
    for (int bar : shownEntries) {
        view->setBarLowRange(bar, barLow);
        view->setBarHighRange(bar, barHigh);
    }
}

void Tmeteo::computeTrend() {
    double v = history[0] - history[1];
    trend = TREND_CONSTANT;
    if (v <= slowDownRate) trend = TREND_SLOW_DOWN;
    if (v <= quickDownRate) trend = TREND_QUICK_DOWN;
    if (v >= slowUpRate) trend = TREND_SLOW_UP;
    if (v >= quickUpRate) trend = TREND_QUICK_UP;
    if (history[0] == emptyEntry || history[1] == emptyEntry) {
        trend = TREND_CONSTANT;
        v = 0.0;
    }
    TmeteoView* view = theSystem.meteoView;
    if (view) view->showTrend(history[0] == emptyEntry ? int{TREND_NONE} : int{trend}, v);
}

void Tmeteo::setSunnyLimit(double v) {
    if (v > variableLimit && v > overcastLimit) sunnyLimit = v;
}

void Tmeteo::setVariableLimit(double v) {
    if (v > overcastLimit && v < sunnyLimit) variableLimit = v;
}

void Tmeteo::setOvercastLimit(double v) {
    if (v < variableLimit && v < sunnyLimit) overcastLimit = v;
}

void Tmeteo::setQuickDownRate(double v) {
    quickDownRate = v;
    computeTrend();
}

void Tmeteo::setSlowDownRate(double v) {
    slowDownRate = v;
    computeTrend();
}

void Tmeteo::setQuickUpRate(double v) {
    quickUpRate = v;
    computeTrend();
}

void Tmeteo::setSlowUpRate(double v) {
    slowUpRate = v;
    computeTrend();
}
