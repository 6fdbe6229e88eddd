#pragma once

#include <cstdint>
#include <string>

// Where the history list draws itself: the intro window's paint box implements it.
class ThistoriqueCanvas {
public:
    virtual ~ThistoriqueCanvas() = default;
    // Height in pixels of a line of text.
    virtual int textHeight(const char* text) = 0;
    // Draws text with its top left corner at (x, y); colour is 0xRRGGBB.
    virtual void drawText(int x, int y, const std::string& text, std::uint32_t colour) = 0;
};

// A ring of three two-column lines: a fourth line takes the slot of the oldest one.
class Thistorique {
public:
    static constexpr int Lines = 3;
    static constexpr std::uint32_t White = 0xFFFFFF;

    Thistorique() { clear(); }

    void clear();
    // Makes a new current line. A reused slot keeps its old texts until they are set again.
    void newLine();
    void setLeft(const std::string& text, std::uint32_t colour);
    void setRight(const std::string& text, std::uint32_t colour);
    // Draws the lines from the oldest to the newest, one text height apart from y downwards.
    void paint(ThistoriqueCanvas& canvas, int xLeft, int y, int xRight) const;

    std::int32_t first = -1;
    std::int32_t current = -1;
    std::string left[Lines];
    std::string right[Lines];
    std::uint32_t leftColour[Lines];
    std::uint32_t rightColour[Lines];

private:
    bool hasCurrent() const { return current >= 0 && current < Lines; }
};
