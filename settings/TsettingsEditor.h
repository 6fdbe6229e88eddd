#pragma once

#include "measurement/ParameterAccess.h"
#include "measurement/Tsensor_wc.h"

#include <cstdint>
#include <string>

class TparameterAccess;
class Tprompts;
class Tsensor;

// The texts of the settings dialog's fields, as the user sees them.
struct TsettingsTexts {
    std::string alti = "0.0", altifeet = "0.0";
    std::string n;
    std::string ts[4]; // days, hours, minutes, seconds
    std::string w[4] = {"0", "0", "0", "0"};
    std::string lbW[4] = {"-", "-", "-", "-"};
    std::string c[6] = {"0", "0", "0", "0", "0", "0"};
    std::string lbC[6] = {"-", "-", "-", "-", "-", "-"};
    std::string sunny = "-", variable = "-", overcast = "-", hysteresis = "-";
    std::string quickDown = "-", slowDown = "-", quickUp = "-", slowUp = "-";
};

// Everything the settings dialog does besides showing its controls: it reads the current values,
// converts metres and feet and W and C while the user types, keeps the parts of ts, and on OK
// checks every field and commits the values through the parameter access. The dialog copies the
// edit texts into `text` before each handler and shows `text` afterwards.
class TsettingsEditor {
public:
    enum class Result { Failed, NoMainWindow, Committed };

    static constexpr double MinAltitude = MinLocalAltitude;
    static constexpr double MaxAltitude = MaxLocalAltitude;
    static constexpr double FeetPerMetre = 3.28;
    static constexpr double MetresPerFoot = 0.3048;

    // Fills every field from the current values; nothing without parameter access.
    void show(TparameterAccess* parameters);
    void altitudeTyped();
    void altitudeFeetTyped();
    void wTyped(int index); // 0..3 for W1..W4
    void cTyped(int index); // 0..5 for C1..C6
    void tsLeft(int part);  // 0..3 for days, hours, minutes, seconds
    // Takes the module's own calibration (W read at the last detection); nothing without sensor.
    void restoreFromSensor(const Tsensor* sensor);
    // Checks every field, showing one message per failed check, and commits when all pass.
    Result ok(TparameterAccess* parameters, Tprompts* prompts);

    const Tsensor_wc& calibration() const { return cal; }
    double editedAltitude() const { return altitude; }
    std::int32_t tsPart(int part) const;

    TsettingsTexts text;

private:
    struct Checked {
        double n = 0, ts = 0;
        double sunny = 0, variable = 0, overcast = 0, hysteresis = 0;
        double quickDown = 0, slowDown = 0, quickUp = 0, slowUp = 0;
    };

    void showCalibration(bool wEdits, bool cEdits);
    void setAltitude(double metres);
    bool checkSampling(Checked& v, Tprompts* prompts);
    bool checkLimits(Checked& v, bool failedBefore, Tprompts* prompts);
    bool checkRates(Checked& v, bool failedBefore, Tprompts* prompts);
    void commit(const Checked& v, TparameterAccess* parameters);
    void commitLimits(const Checked& v, TparameterAccess* parameters);

    std::int32_t& tsPartRef(int part);

    Tsensor_wc cal;
    double altitude = 0.0;
    std::int32_t tsDays = 0, tsHours = 0, tsMinutes = 0, tsSeconds = 0;
};
