#include "measurement/Tintro.h"

#include "core/Globals.h"
#include "core/Prompts.h"
#include "resources/Pictures.h"
#include "widgets/FixedDialog.h"

#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSvgRenderer>

#include <cstdio>

namespace {

const char* const NoModuleText =
    "Error: No module found, please check the connection and/or plug-in the module.\n";

QFont arial(bool bold) {
    QFont font("Arial");
    font.setPixelSize(13);
    font.setBold(bold);
    return font;
}

QLabel* makeLabel(QWidget* parent, const char* name, const char* text, bool bold, QRect place) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(name);
    label->setFont(arial(bold));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    label->setGeometry(place);
    return label;
}

QPixmap logo(QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    QSvgRenderer renderer(QStringLiteral(":/logo/corvasine.svg"));
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

// Draws the history lines with a painter, each text's top at its y.
class TpainterCanvas : public ThistoriqueCanvas {
public:
    explicit TpainterCanvas(QPainter& p) : painter(p) {}
    int textHeight(const char*) override { return painter.fontMetrics().height(); }
    void drawText(int x, int y, const std::string& text, std::uint32_t colour) override {
        painter.setPen(QColor::fromRgb(static_cast<QRgb>(colour)));
        const QString shown = QString::fromStdString(text);
        painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), shown);
    }

private:
    QPainter& painter;
};

} // namespace

TintroPaintBox::TintroPaintBox(const Thistorique& history, QWidget* parent)
    : QWidget(parent), lines(history) {}

void TintroPaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TpainterCanvas canvas(painter);
    lines.paint(canvas, 10, 10, 180);
}

TWintro::TWintro(QWidget* parent) : QWidget(parent, fixedDialogFlags(Qt::Dialog)) {
    setObjectName("Intro");
    refuseMinimize(*this);
    setWindowTitle("Intro");
    setFixedSize(316, 279);
    initPictures();
    buildPanel();
    PaintBox1 = new TintroPaintBox(history, this);
    PaintBox1->setObjectName("PaintBox1");
    PaintBox1->setGeometry(16, 208, 281, 65);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TWintro::buildPanel() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(16, 8, 281, 193);
    Panel1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel1->setLineWidth(1);
    Panel1->setContentsMargins(3, 3, 3, 3);
    Panel1->setAutoFillBackground(true);
    QPalette palette = Panel1->palette();
    palette.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(palette);
    Label1 = makeLabel(Panel1, "Label1", "Barometer / Altimeter software for Windows 9x/NT/2000/XP",
                       true, QRect(24, 24, 220, 32));
    Label2 = makeLabel(Panel1, "Label2", "Made for the pressure-sensor modules of Corvasine", false,
                       QRect(8, 64, 265, 41));
    Image1 = new QLabel(Panel1);
    Image1->setObjectName("Image1");
    Image1->setGeometry(16, 112, 241, 33);
    Image1->setPixmap(logo(Image1->size()));
}

void TWintro::showIntro() {
    ++searches;
    history.clear();
    show();
    PaintBox1->update();
}

void TWintro::searching(const char* port) {
    char text[96];
    std::snprintf(text, sizeof text, "Searching on %s port", port ? port : "");
    history.newLine();
    history.setLeft(text, Black);
    PaintBox1->update();
}

void TWintro::result(bool found) {
    if (found)
        history.setRight("FOUND", Green);
    else
        history.setRight("NOT FOUND", Red);
    PaintBox1->update();
}

// Without a module the window stays over the main window until the error box has been answered;
// the box is posted, so measuring with no module begins while it is open. A search started
// meanwhile keeps its window.
void TWintro::closeIntro(bool found) {
    if (found || !theSystem.prompts) {
        hide();
        return;
    }
    const unsigned search = searches;
    theSystem.prompts->post(NoModuleText, "Error", TpromptIcon::Error, [this, search] {
        if (search == searches) hide();
    });
}
