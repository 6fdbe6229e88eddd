#pragma once

struct Tsensor_wc;

// The codes of the settings reached by code; the settings file keys number them the same way.
enum TparameterCode : int {
    codeN = 1,
    codeTS = 2,
    codeAltitude = 3,
    codeSunny = 4,
    codeVariable = 5,
    codeOvercast = 6,
    codeHysteresis = 7,
    codeSeaLevelOffset = 8,
    codeQuickDown = 9,
    codeSlowDown = 10,
    codeQuickUp = 11,
    codeSlowUp = 12,
    codeMinimized = 13,
    codeSaveOnExit = 14,
    codeSmallX = 15,
    codeSmallY = 16,
};

// The local altitude that the settings dialog takes, in metres; a settings file is held to it too.
constexpr double MinLocalAltitude = -703.0;
constexpr double MaxLocalAltitude = 9166.0;

// Settings by code, as the settings file keys number them: 1 N, 2 TS, 3 local altitude, 4..6
// sunny/variable/overcast limits, 7 hysteresis, 8 sea-level offset, 9..12 quick-down, slow-down,
// quick-up and slow-up rates, 13 minimized, 14 save on exit, 15/16 small window x/y. The main
// window implements it; the settings file, the settings dialog, the small window and the data
// log header go through it. Reached through theSystem.parameters.
class TparameterAccess {
public:
    virtual ~TparameterAccess() = default;
    // The current value; 0.0 for an unknown code or a missing object.
    virtual double getParameter(int code) = 0;
    virtual void setParameter(int code, double value) = 0;
    // The calibration set in use, read from and written to the sensor; nothing for null.
    virtual void getCalibration(Tsensor_wc* out) = 0;
    virtual void setCalibration(const Tsensor_wc* in) = 0;
};
