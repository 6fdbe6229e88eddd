#include "charts/ChartTexts.h"

#include <charconv>
#include <cstdio>
#include <ctime>

namespace {

struct Twindow {
    double low, high;
};

Twindow windowOf(TchartPlot plot) {
    switch (plot) {
    case TchartPlot::pressure: return {0, 9999.9};
    case TchartPlot::temperature: return {-99, 999.9};
    case TchartPlot::altitude: return {-1000, 9999.9};
    case TchartPlot::humidity: return {0, 999.9};
    case TchartPlot::humidityTemperature: return {0, 999.9};
    }
    return {0, 0};
}

} // namespace

bool insidePlotWindow(TchartPlot plot, double value) {
    const Twindow window = windowOf(plot);
    return value > window.low && value < window.high;
}

std::string fixedText(double value, int decimals) {
    char text[400]; // room for the largest double in fixed point
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, result.ptr);
}

std::string FormatTimeLabel(std::int64_t seconds) {
    static const char* const months[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (!localtime_r(&time, &local) || local.tm_mon < 0 || local.tm_mon > 11) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%s %02d %02d:%02d:%02d %04d\n", months[local.tm_mon],
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, local.tm_year + 1900);
    return text;
}

std::array<std::string, 4> rangeLabelTexts(double low, double high) {
    const double span = high - low;
    return {fixedText(high, 2), fixedText(low + 2 * span / 3, 2), fixedText(low + span / 3, 2),
            fixedText(low, 2)};
}
