#pragma once

#include "display/FormView.h"
#include "widgets/ControlIndex.h"

#include <QWidget>

class TmainDisplay;

// The small window that stands in for the main window: weather picture, trend arrow,
// temperature and local pressure, all written by the main display. A click on a picture brings
// the main window back; closing asks to close the program.
class TWsmall : public QWidget, public TformView {
    Q_OBJECT
public:
    explicit TWsmall(QWidget* parent = nullptr);

    // The main display its clicks and its close go to; null does nothing.
    void setMainDisplay(TmainDisplay* display) { main = display; }

    // TformView
    void setText(const char* control, const std::string& text) override;
    void setVisible(const char* control, bool visible) override;
    void setTop(const char*, int) override {}
    void setHeight(const char*, int) override {}
    void setColor(const char*, int, int, int) override {}
    void setChecked(const char*, bool) override {}
    void showForm(bool visible) override { QWidget::setVisible(visible); }
    // The client area's place, read and written alike: the frame around it is known only once
    // the window is shown, and differs from one window manager to the next.
    int formLeft() override { return geometry().x(); }
    int formTop() override { return geometry().y(); }
    // A place where the title bar is not on a screen (a settings file from another display, a
    // window left at an edge) is brought onto the primary screen, so that it can be grabbed.
    void moveForm(int left, int top) override;

public slots:
    // Restores the main window.
    void Panel1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void keepOnScreen();

    TmainDisplay* main = nullptr;
    TcontrolIndex controls{*this};
};
