#pragma once

#include "display/FormView.h"

// A window that is never shown: the main display writes its labels into nothing. Only the
// position is kept, so that the settings file writes back what it read.
class TheadlessForm : public TformView {
public:
    void setText(const char*, const std::string&) override {}
    void setVisible(const char*, bool) override {}
    void setTop(const char*, int) override {}
    void setHeight(const char*, int) override {}
    void setColor(const char*, int, int, int) override {}
    void setChecked(const char*, bool) override {}
    void showForm(bool) override {}
    int formLeft() override { return left; }
    int formTop() override { return top; }
    void moveForm(int newLeft, int newTop) override {
        left = newLeft;
        top = newTop;
    }

private:
    int left = 0;
    int top = 0;
};
