#pragma once

// What the main sequence and the sensor tell of each finished measurement: the station, which
// derives its values and hands the reading to its sinks. The sequence reaches it as its part, the
// sensor through theSystem.mainView; null, and nothing is told.
class TmainView {
public:
    virtual ~TmainView() = default;
    // Shows the module link text ("No module", "LPT module", "COM module").
    virtual void setModuleText(const char* text) = 0;
    // Called once, at the first valid sample: the altimeter reference becomes the current
    // pressure; history and min/max start afresh. A module found again keeps its reference.
    virtual void resetReference() = 0;
    // Takes the sensor's latest sample: derived values, weather model, and every output.
    virtual void showSample() = 0;
};
