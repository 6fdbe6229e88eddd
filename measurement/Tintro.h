#pragma once

#include "measurement/IntroView.h"
#include "measurement/Thistorique.h"

#include <QWidget>

#include <cstdint>

class QFrame;
class QLabel;

// The box in which the intro window paints its three progress lines.
class TintroPaintBox : public QWidget {
    Q_OBJECT
public:
    TintroPaintBox(const Thistorique& lines, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Thistorique& lines;
};

// The window that shows the progress of the module search, one line per port tried.
class TWintro : public QWidget, public TintroView {
    Q_OBJECT
public:
    static constexpr std::uint32_t Black = 0x000000;
    static constexpr std::uint32_t Green = 0x008000;
    static constexpr std::uint32_t Red = 0xFF0000;

    explicit TWintro(QWidget* parent = nullptr);

    void showIntro() override;
    void searching(const char* port) override;
    void result(bool found) override;
    void closeIntro(bool found) override;

    const Thistorique& lines() const { return history; }

private:
    void buildPanel();

    Thistorique history;
    unsigned searches = 0; // searches shown so far
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Image1 = nullptr;
    TintroPaintBox* PaintBox1 = nullptr;
};
