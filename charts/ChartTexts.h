#pragma once

#include <array>
#include <cstdint>
#include <string>

// Texts and value checks of the chart window, free of any toolkit.

// The plots of the chart window.
enum class TchartPlot { pressure, temperature, altitude, humidity, humidityTemperature };

// A value is plotted only strictly inside its plot's window; the upper bounds reject the
// invalid-value markers, the lower ones a missing humidity reading.
bool insidePlotWindow(TchartPlot plot, double value);

// Fixed-point text with the given decimals and "." as separator whatever the locale.
std::string fixedText(double value, int decimals);

// Local time of `seconds` since 1970 as "Feb 20 10:44:55 2001" and a line end, with English
// month names whatever the locale; empty when the time cannot be converted.
std::string FormatTimeLabel(std::int64_t seconds);

// The four value labels of a plot from the top: high, two thirds, one third, low, each "%.2f".
std::array<std::string, 4> rangeLabelTexts(double low, double high);
