#pragma once

#include <QWidget>

#include <string>
#include <unordered_map>

// The controls of a window by name, each searched for once: the main display names a control
// for every value it writes, and a search through the window's tree costs more than most
// writes. A window's controls are all made with it and live as long as it does; a name it does
// not have stays null.
class TcontrolIndex {
public:
    explicit TcontrolIndex(const QWidget& window) : window(window) {}

    template <typename Control = QWidget> Control* find(const char* name) {
        auto it = found.find(name);
        if (it == found.end()) it = found.emplace(name, window.findChild<QWidget*>(name)).first;
        return qobject_cast<Control*>(it->second);
    }

private:
    const QWidget& window;
    std::unordered_map<std::string, QWidget*> found;
};
