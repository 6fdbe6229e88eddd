#include "logger/Calibration.h"

#include <cmath>
#include <cstdio>

Tcalibration::Tcalibration(double referenceQnh, TunitChoice unitChoice,
                           std::function<void(const std::string&)> printLine,
                           std::function<void()> whenDone)
    : reference(referenceQnh), units(unitChoice), print(std::move(printLine)),
      done(std::move(whenDone)) {}

double Tcalibration::offsetFor(const Treading& r) const {
    const double offset = r.pressureOffset + reference - r.seaLevelPressure.value_or(reference);
    return std::round(offset * 100) / 100 + 0.0; // never -0.00
}

void Tcalibration::reading(const Treading& r) {
    if (taken || !r.seaLevelPressure || !r.measured()) return;
    taken = true;
    char offset[32];
    std::snprintf(offset, sizeof offset, "%+.2f", offsetFor(r));
    char inForce[32];
    std::snprintf(inForce, sizeof inForce, "%+.2f", r.pressureOffset);
    print("QNH measured " + units.pressureText(*r.seaLevelPressure) + " with the offset " +
          inForce + " hPa, reference " + units.pressureText(reference));
    print(std::string("pressure offset: ") + offset + " hPa");
    print(std::string("for the service, in CORVASINE_LOGGER_OPTIONS of "
                      "/etc/default/corvasine-logger: --pressure-offset ") +
          offset);
    done();
}
