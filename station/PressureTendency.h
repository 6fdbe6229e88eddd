#pragma once

#include <optional>
#include <string>

// The 3-hour pressure tendency: its amount and its characteristic (0 ... 8 of the WMO code
// table 0200) from three points of the pressure curve, and the words of the marine forecasts for
// its rate.
//
// How the shape is judged: the curve is taken at its start (3 hours ago), its middle (1.5 hours
// ago) and now; each of the two halves is rising, falling or steady, steady while it changed by
// less than `steadyHalf` (0.2 hPa). The amount is rounded to 0.1 hPa; rounded to 0.0 the
// pressure is "the same". One half changing at less than half the rate of the other is "more
// slowly"; the second at more than twice the first's rate is "more rapidly".
class TpressureTendency {
public:
    static constexpr double steadyHalf = 0.2; // [hPa] over 1.5 hours

    // The tendency of a curve with these pressures [hPa] at its start, middle and end.
    static TpressureTendency of(double start, double middle, double end);

    // The pressure now minus 3 hours ago, rounded to 0.1 hPa.
    double amount = 0;
    int characteristic = 4;

    // "steady", "rising slowly", "rising", "rising quickly", "rising very rapidly", and the
    // same with "falling": under 0.1, 0.1 to 1.5, 1.6 to 3.5, 3.6 to 6.0, over 6.0 hPa.
    static std::string words(double amount);
    // The words of the characteristic: "increasing, then decreasing" ...; "" outside 0 ... 8.
    static const char* characteristicWords(int characteristic);
};
