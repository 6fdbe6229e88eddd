#pragma once

#include <cstdint>

// Colours as 0x00BBGGRR.
using Tcolor = std::uint32_t;

// What a plot draws on: the off-screen image of the window part, or a recorder in tests.
// Lines follow a pen position: moveTo sets it, lineTo draws from it and moves it.
class TplotCanvas {
public:
    virtual ~TplotCanvas() = default;
    virtual void fillRect(int x, int y, int width, int height, Tcolor color) = 0;
    // A one-pixel frame along the inside of the rectangle.
    virtual void frameRect(int x, int y, int width, int height, Tcolor color) = 0;
    virtual void setPen(Tcolor color) = 0;
    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;

    // The backdrop (background, frame and grid) is the same picture for as long as its version
    // is: a canvas that kept a copy of it by keepBackdrop puts that copy back and answers true,
    // and the backdrop is then not drawn again.
    virtual bool restoreBackdrop(std::uint64_t /*version*/) { return false; }
    virtual void keepBackdrop(std::uint64_t /*version*/) {}
};
