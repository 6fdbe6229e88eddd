#include "logger/LoggerChart.h"

#include "charts/DataLog.h"
#include "core/Globals.h"
#include "display/TmainDisplay.h"
#include "logger/Refinder.h"
#include "measurement/Tsensor.h"

TloggerChart::TloggerChart(TdataLog& dataLog, TmainDisplay& mainDisplay, Trefinder& finder,
                           TcalendarClock calendar)
    : log(dataLog), display(mainDisplay), refinder(finder), clock(std::move(calendar)) {}

bool TloggerChart::isValid(double pressure, double temperature) {
    return pressure > 0 && pressure < Tsensor::Invalid && temperature < Tsensor::InvalidTemperature;
}

void TloggerChart::NewSample(int D1, int D2, double temperature, double pressure, double altitude,
                             double humidity, double humidityTemperature) {
    if (!isValid(pressure, temperature)) {
        refinder.cycleFailed();
        return;
    }
    refinder.cycleMeasured();
    if (!log.logging()) return;
    if (!log.write({D1, D2, temperature, pressure, altitude, humidity, humidityTemperature})) {
        if (writeError) writeError();
        return;
    }
    const TloggedSample sample =
        describe(D1, D2, temperature, pressure, altitude, humidity, humidityTemperature);
    for (TsampleObserver* observer : observers)
        observer->sampleWritten(sample);
}

TloggedSample TloggerChart::describe(int D1, int D2, double temperature, double pressure,
                                     double altitude, double humidity,
                                     double humidityTemperature) const {
    TloggedSample s;
    s.time = clock();
    s.pressure = pressure;
    s.seaLevelPressure = display.values.seaLevelPressure;
    s.altitude = altitude;
    s.temperature = temperature;
    s.hasHumidity = humidity > 0 && humidity < 999;
    if (s.hasHumidity) {
        s.humidity = humidity;
        s.humidityTemperature = humidityTemperature;
    }
    if (const Tmeteo* meteo = theSystem.meteo) {
        s.weatherClass = meteo->getWeatherClass();
        s.trend = meteo->getTrend();
    }
    s.D1 = D1;
    s.D2 = D2;
    return s;
}
