#include "display/Tsmall.h"

#include "display/ScreenReach.h"
#include "display/TmainDisplay.h"
#include "measurement/ParameterAccess.h"
#include "widgets/FixedDialog.h"
#include "widgets/PictureLabel.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>

#include <vector>

namespace {
QFrame* panel(QWidget* parent, const char* name, QRect place) {
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    f->setGeometry(place);
    f->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return f;
}

TscreenRect screenRect(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
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

// Until the window manager has framed the window, a title bar of the style's height is taken to
// stand above the client area.
void TWsmall::keepOnScreen() {
    constexpr int Grip = 40; // enough of the title bar to see it and drag the window back
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return;
    QRect frame = frameGeometry();
    int title = geometry().top() - frame.top();
    if (title <= 0) {
        title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
        frame.setTop(geometry().top() - title);
    }
    std::vector<TscreenRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back(screenRect(screen->availableGeometry()));
    const TscreenRect placed = reachableFrame(screenRect(frame), title, screens,
                                              screenRect(primary->availableGeometry()), Grip);
    // The client area moves with the frame: a window not yet framed would otherwise take the
    // frame's place for its client area and leave its title bar above it.
    const QPoint shift(placed.left - frame.x(), placed.top - frame.y());
    if (!shift.isNull()) setGeometry(QRect(geometry().topLeft() + shift, size()));
}

void TWsmall::Panel1Click() {
    if (main) main->setParameter(codeMinimized, 0);
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
