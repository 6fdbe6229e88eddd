#include "station/Atmosphere.h"

#include <array>

namespace {

struct Segment {
    double lowPressure;  // [mbar], belongs to the segment
    double highAltitude; // [m], altitude of lowPressure; belongs to the segment
    double a;            // [m]
    double b;            // [m/mbar]
};

// From sea level upwards. The last segment is open towards low pressure and high altitude.
constexpr std::array<Segment, 15> table{{
    {1006.0, 58.4, 8207, 8.1},
    {945.0, 583.0, 8710, 8.6},
    {897.5, 1010.5, 9088, 9.0},
    {850.0, 1457.0, 9447, 9.4},
    {798.0, 1966.6, 9787, 9.8},
    {744.0, 2528.4, 10266, 10.4},
    {700.0, 3010.0, 10640, 10.9},
    {648.5, 3607.4, 11130, 11.6},
    {599.0, 4216.3, 11584, 12.3},
    {549.0, 4876.2, 12123, 13.2},
    {499.0, 5586.2, 12672, 14.2},
    {448.5, 6364.1, 13271, 15.4},
    {400.5, 7170.6, 13899, 16.8},
    {349.0, 8128.6, 14620, 18.6},
    {0.0, 0.0, 15458, 21.0},
}};

constexpr std::size_t lastSegment = table.size() - 1;

} // namespace

double altitudeFromPressure(double p) {
    std::size_t i = 0;
    while (i < lastSegment && p < table[i].lowPressure)
        ++i;
    return table[i].a - p * table[i].b;
}

double pressureFromAltitude(double h) {
    std::size_t i = 0;
    while (i < lastSegment && h > table[i].highAltitude)
        ++i;
    return (table[i].a - h) / table[i].b;
}
