#pragma once

// The progress of the module search, as the main sequence tells it to the part its owner
// attached: the station, which tells its sinks, and the intro window through its sink.
class TintroView {
public:
    virtual ~TintroView() = default;
    // Shows the window and clears its lines.
    virtual void showIntro() = 0;
    // New line "Searching on <port> port".
    virtual void searching(const char* port) = 0;
    // "FOUND" in green or "NOT FOUND" in red on the current line.
    virtual void result(bool found) = 0;
    // Hides the window; when nothing was found, only once the no-module error box (posted, so
    // that the sequence moves on) has been answered.
    virtual void closeIntro(bool found) = 0;
};
