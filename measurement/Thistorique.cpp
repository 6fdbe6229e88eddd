#include "measurement/Thistorique.h"

void Thistorique::clear() {
    first = current = -1;
    for (int i = 0; i < Lines; ++i) {
        left[i].clear();
        right[i].clear();
        leftColour[i] = rightColour[i] = White;
    }
}

void Thistorique::newLine() {
    if (current < 0) {
        current = first = 0;
        return;
    }
    current = (current + 1) % Lines;
    if (current == first) first = (first + 1) % Lines;
}

void Thistorique::setLeft(const std::string& text, std::uint32_t colour) {
    if (!hasCurrent()) return;
    left[current] = text;
    leftColour[current] = colour;
}

void Thistorique::setRight(const std::string& text, std::uint32_t colour) {
    if (!hasCurrent()) return;
    right[current] = text;
    rightColour[current] = colour;
}

void Thistorique::paint(ThistoriqueCanvas& canvas, int xLeft, int y, int xRight) const {
    if (current < 0) return;
    const int height = canvas.textHeight("Q");
    const int count = (current - first + Lines) % Lines + 1;
    for (int n = 0; n < count; ++n, y += height) {
        const int i = (first + n) % Lines;
        canvas.drawText(xLeft, y, left[i], leftColour[i]);
        canvas.drawText(xRight, y, right[i], rightColour[i]);
    }
}
