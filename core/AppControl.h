#pragma once

// Ends the program's message loop after the current message.
class TappControl {
public:
    virtual ~TappControl() = default;
    virtual void quit() = 0;
};
