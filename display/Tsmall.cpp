#include "display/Tsmall.h"

#include "display/PictureLabel.h"
#include "display/TmainDisplay.h"
#include "widgets/FixedDialog.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

#include <algorithm>

namespace {
QFrame* panel(QWidget* parent, const char* name, QRect place) {
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    f->setGeometry(place);
    f->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return f;
}

QLabel* text(QWidget* parent, const char* name, const char* caption, QRect place,
             Qt::Alignment align) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setGeometry(place);
    l->setAlignment(align);
    return l;
}
} // namespace

TWsmall::TWsmall(QWidget* parent) : QWidget(parent, fixedDialogFlags(Qt::Tool)) {
    setObjectName("TWsmall");
    refuseMinimize(*this);
    setWindowTitle("Barometer");
    setFixedSize(211, 80);
    setGeometry(QRect(QPoint(709, 282), size()));

    QFrame* weather = panel(this, "Panel1", QRect(8, 4, 81, 73));
    const std::pair<const char*, const QString*> pictures[] = {
        {"img_rainsnow", &pictures::rainsnow63}, {"img_snow", &pictures::snow63},
        {"img_couvert", &pictures::overcast63},  {"img_variable", &pictures::variable63},
        {"img_sunny", &pictures::sunny63},       {"img_rainy", &pictures::rainy63}};
    for (const auto& [name, path] : pictures)
        pictureLabel(weather, name, *path, QRect(10, 14, 63, 51), false)->installEventFilter(this);

    QFrame* trend = panel(this, "Panel2", QRect(96, 4, 41, 73));
    QLabel* caption = text(trend, "Label1", "trend", QRect(2, 2, 37, 13), Qt::AlignCenter);
    QFont arial("Arial");
    arial.setPixelSize(11);
    caption->setFont(arial);
    const std::tuple<const char*, const QString*, QRect> arrows[] = {
        {"img_unch", &pictures::unchanged, QRect(4, 24, 33, 33)},
        {"img_quick_up", &pictures::quickUp, QRect(12, 24, 17, 33)},
        {"img_quick_down", &pictures::quickDown, QRect(12, 24, 17, 33)},
        {"img_slow_down", &pictures::slowDown, QRect(12, 24, 17, 33)},
        {"img_slow_up", &pictures::slowUp, QRect(12, 24, 17, 33)}};
    for (const auto& [name, path, place] : arrows)
        pictureLabel(trend, name, *path, place, false)->installEventFilter(this);

    // The whole inside of the panel: a negative temperature needs every pixel of it.
    text(panel(this, "Panel3", QRect(144, 4, 65, 25)), "lbcelsius", "-27.85 [°C]",
         QRect(1, 1, 63, 23), Qt::AlignCenter);
    QLabel* pressure =
        text(panel(this, "Panel4", QRect(144, 36, 65, 41)), "lbpresssea", "1070.21 [mbar]",
             QRect(2, 2, 61, 37), Qt::AlignRight | Qt::AlignVCenter);
    pressure->setWordWrap(true);
}

void TWsmall::setText(const char* control, const std::string& text) {
    if (auto* l = findChild<QLabel*>(control)) l->setText(QString::fromStdString(text));
}

void TWsmall::setVisible(const char* control, bool visible) {
    if (auto* w = findChild<QWidget*>(control)) w->setVisible(visible);
}

void TWsmall::moveForm(int left, int top) {
    setGeometry(QRect(QPoint(left, top), size()));
    keepOnScreen();
}

void TWsmall::keepOnScreen() {
    constexpr int Grip = 40; // enough of the window to see it and click its picture
    const QRect frame = frameGeometry();
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect seen = screen->availableGeometry().intersected(frame);
        if (seen.width() >= Grip && seen.height() >= Grip) return;
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return;
    const QRect area = primary->availableGeometry();
    move(std::clamp(x(), area.left(), std::max(area.left(), area.right() + 1 - frame.width())),
         std::clamp(y(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height())));
}

void TWsmall::Panel1Click() {
    if (main) main->setParameter(13, 0);
}

bool TWsmall::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonRelease) return QWidget::eventFilter(watched, event);
    Panel1Click();
    return true;
}

void TWsmall::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (main) main->closeApplication();
}
