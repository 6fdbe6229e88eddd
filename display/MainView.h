#pragma once

// What the model asks of the main window. Reached through theSystem.mainView; null while the
// window does not exist, and then nothing is shown.
class TmainView {
public:
    virtual ~TmainView() = default;
    // Shows the module link text ("No module", "LPT module", "COM module").
    virtual void setModuleText(const char* text) = 0;
    // Called once, at the first valid sample: the altimeter reference becomes the current
    // pressure; history and min/max start afresh. A module found again keeps its reference.
    virtual void resetReference() = 0;
    // Takes the sensor's latest sample: displays, weather model, charts and data log.
    virtual void showSample() = 0;
};
