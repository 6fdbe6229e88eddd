#pragma once

#include "display/FormView.h"

#include <map>
#include <string>

// A window that remembers what was written to each control name.
class FakeForm : public TformView {
public:
    struct Control {
        std::string text;
        bool visible = false;
        int top = 0;
        int height = 0;
        int red = -1, green = -1, blue = -1;
        bool checked = false;
    };

    void setText(const char* c, const std::string& t) override { controls[c].text = t; }
    void setVisible(const char* c, bool v) override { controls[c].visible = v; }
    void setTop(const char* c, int t) override { controls[c].top = t; }
    void setHeight(const char* c, int h) override { controls[c].height = h; }
    void setColor(const char* c, int r, int g, int b) override {
        controls[c].red = r;
        controls[c].green = g;
        controls[c].blue = b;
    }
    void setChecked(const char* c, bool v) override { controls[c].checked = v; }
    void showForm(bool v) override { shown = v; }
    int formLeft() override { return left; }
    int formTop() override { return top; }
    void moveForm(int l, int t) override {
        left = l;
        top = t;
    }

    const std::string& text(const char* c) { return controls[c].text; }
    bool visible(const char* c) { return controls[c].visible; }

    std::map<std::string, Control> controls;
    bool shown = false;
    int left = 709;
    int top = 282;
};
