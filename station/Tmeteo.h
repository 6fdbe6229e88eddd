#pragma once

#include "station/Atmosphere.h"

#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

enum : std::uint8_t {
    WEATHER_NONE = 0,
    WEATHER_SUNNY = 1,
    WEATHER_VARIABLE = 2,
    WEATHER_OVERCAST = 3,
    WEATHER_RAIN = 4,
};

enum : std::uint8_t {
    TREND_QUICK_DOWN = 0,
    TREND_SLOW_DOWN = 1,
    TREND_CONSTANT = 2,
    TREND_QUICK_UP = 3,
    TREND_SLOW_UP = 4,
    // Told to the view only: no sample has entered the history yet.
    TREND_NONE = 5,
};

// Calendar time in whole seconds since 1970-01-01 00:00 UTC.
using TcalendarClock = std::function<std::int64_t()>;

// The clock of the running program: the C library's time().
std::int64_t systemCalendarTime();

// Text shown for a weather class; class 4 is split by the temperature T [°C]: "Rainy" from 3 °C,
// "Snow & Rain" from -1 °C, "Snow" below. Class 0 and unknown codes give "".
const char* weatherText(int weatherClass, double temperature);

// Text shown for a trend code; "" for an unknown code.
const char* trendText(int trend);

// The weather model: the weather class with hysteresis around its three limits, and an hourly
// history of the sea-level pressure that drives the six history bars and the trend display of
// the main window (through theSystem.meteoView; nothing is shown while it is null).
class Tmeteo {
public:
    static constexpr int historySize = 20;
    static constexpr double emptyEntry = -1.0;

    explicit Tmeteo(TcalendarClock clock = systemCalendarTime);

    // Classifies the sea-level pressure x [mbar] and, at most once per history period, pushes it
    // into the history.
    void update(double x);
    // Empties the history and the bar scale; the next update pushes at once.
    // Tells the view the history bars and the trend as they stand; before the first sample:
    // no bar and TREND_NONE (never what the window was built with).
    void show();
    void clearHistory();
    // Rebuilds the weather class and the hourly history from past sea-level pressures
    // (calendar seconds, mbar), oldest first, as update() would have taken them at their times;
    // a whole period without any, up to `now`, stays an empty entry. Then shows bars and trend.
    void replay(const std::vector<std::pair<std::int64_t, double>>& past, std::int64_t now);

    std::uint8_t getWeatherClass() const { return weatherClass; }
    std::uint8_t getTrend() const { return trend; }
    // History entry i (0 the newest); -1.0 for an empty entry or an index outside 0..19.
    double getHistory(int i) const;
    double getBarLow() const { return barLow; }
    double getBarHigh() const { return barHigh; }
    std::int64_t getLastHistoryTime() const { return lastHistoryTime; }

    // The limits keep the order sunny > variable > overcast: a value that breaks it is ignored.
    void setSunnyLimit(double v);
    void setVariableLimit(double v);
    void setOvercastLimit(double v);
    void setHysteresis(double v) { hysteresis = v; }
    double getSunnyLimit() const { return sunnyLimit; }
    double getVariableLimit() const { return variableLimit; }
    double getOvercastLimit() const { return overcastLimit; }
    double getHysteresis() const { return hysteresis; }

    // Each rate setter recomputes the trend so that the display follows at once.
    void setQuickDownRate(double v);
    void setSlowDownRate(double v);
    void setQuickUpRate(double v);
    void setSlowUpRate(double v);
    double getQuickDownRate() const { return quickDownRate; }
    double getSlowDownRate() const { return slowDownRate; }
    double getQuickUpRate() const { return quickUpRate; }
    double getSlowUpRate() const { return slowUpRate; }

private:
    void classify(double x);
    void pushHistory(double x);
    void pushGaps(std::int64_t from, std::int64_t to);
    void showBars() const;
    void adaptBarScale(double x);
    void computeTrend();

    std::array<double, historySize> history;
    std::uint8_t weatherClass = WEATHER_NONE;
    double sunnyLimit = 1016.0;
    double variableLimit = 1009.0;
    double overcastLimit = 1002.0;
    double hysteresis = 0.5;
    std::int32_t historyPeriod = 3600;
    double barHigh = 0.0;
    double barLow = -1.0;
    double quickDownRate = -0.9;
    double slowDownRate = -0.23;
    double quickUpRate = 0.9;
    double slowUpRate = 0.23;
    std::uint8_t trend = TREND_CONSTANT;
    std::int64_t lastHistoryTime = 0; // 0 while historyStarted is false
    // Whether an entry was pushed since construction or clearHistory. Kept apart from
    // lastHistoryTime because 0 is a valid calendar time for a push.
    bool historyStarted = false;
    TcalendarClock clock;
};
