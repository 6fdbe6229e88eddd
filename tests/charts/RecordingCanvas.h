#pragma once

#include "charts/PlotCanvas.h"

#include <string>
#include <vector>

// Records every drawing call as text, e.g. "fill 0 0 433 177 800000", "line 0 3 5 1".
class TrecordingCanvas : public TplotCanvas {
public:
    void fillRect(int x, int y, int w, int h, Tcolor c) override {
        ops.push_back("fill " + numbers({x, y, w, h}) + " " + hex(c));
    }
    void frameRect(int x, int y, int w, int h, Tcolor c) override {
        ops.push_back("frame " + numbers({x, y, w, h}) + " " + hex(c));
    }
    void setPen(Tcolor c) override { ops.push_back("pen " + hex(c)); }
    void moveTo(int x, int y) override {
        px = x;
        py = y;
    }
    void lineTo(int x, int y) override {
        ops.push_back("line " + numbers({px, py, x, y}));
        px = x;
        py = y;
    }

    // The drawn lines only.
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const auto& op : ops)
            if (op.rfind("line", 0) == 0) out.push_back(op);
        return out;
    }

    std::vector<std::string> ops;

private:
    static std::string numbers(std::initializer_list<int> values) {
        std::string text;
        for (int v : values) {
            if (!text.empty()) text += ' ';
            text += std::to_string(v);
        }
        return text;
    }
    static std::string hex(Tcolor c) {
        char text[16];
        std::snprintf(text, sizeof text, "%06x", static_cast<unsigned>(c));
        return text;
    }
    int px = 0, py = 0;
};
