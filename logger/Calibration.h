#pragma once

#include "station/PressureUnits.h"
#include "station/Reading.h"

#include <functional>
#include <string>

// --calibrate: takes the first reading with a QNH, prints the offset that makes that QNH the
// reference (the offset in force included) and the option line for the service, then calls
// `done`.
class Tcalibration : public TreadingSink {
public:
    Tcalibration(double referenceQnh, TunitChoice units,
                 std::function<void(const std::string&)> print, std::function<void()> done);

    void reading(const Treading& reading) override;
    // The offset [hPa] that would have made the reading's QNH the reference.
    double offsetFor(const Treading& reading) const;
    bool finished() const { return taken; }

private:
    double reference;
    TunitChoice units;
    std::function<void(const std::string&)> print;
    std::function<void()> done;
    bool taken = false;
};
