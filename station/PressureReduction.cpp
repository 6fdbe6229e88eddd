#include "station/PressureReduction.h"

#include <cmath>

double TpressureReduction::qff(double qfe, double altitude, double meanTemperature) {
    return qfe * std::exp(altitude / (metresPerKelvin * (meanTemperature + zeroCelsius)));
}

double TpressureReduction::meanTemperature(double now, const double* twelveHoursEarlier) {
    return twelveHoursEarlier ? (now + *twelveHoursEarlier) / 2 : now;
}
