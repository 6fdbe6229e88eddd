#pragma once

#include <string>

// A window seen through the names of its controls (their objectName). The main display writes
// texts, visibility, places and colours through it; a name the window does not have is ignored.
class TformView {
public:
    virtual ~TformView() = default;
    virtual void setText(const char* control, const std::string& text) = 0;
    virtual void setVisible(const char* control, bool visible) = 0;
    virtual void setTop(const char* control, int top) = 0;
    virtual void setHeight(const char* control, int height) = 0;
    virtual void setColor(const char* control, int red, int green, int blue) = 0;
    // The check mark of a menu item.
    virtual void setChecked(const char* item, bool checked) = 0;

    // The window itself: shown or hidden, and its left and top edges on the screen.
    virtual void showForm(bool visible) = 0;
    virtual int formLeft() = 0;
    virtual int formTop() = 0;
    virtual void moveForm(int left, int top) = 0;
};
