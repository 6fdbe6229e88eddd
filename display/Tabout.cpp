#include "display/Tabout.h"

#include "display/BuildDate.h"
#include "widgets/FixedDialog.h"
#include "widgets/PictureLabel.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {
QLabel* text(QWidget* parent, const char* name, const QString& caption, QRect place,
             bool bold = false) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setGeometry(place);
    QFont font = l->font();
    font.setBold(bold);
    l->setFont(font);
    return l;
}

QLabel* onPicture(QLabel* l, int pixels) {
    QFont arial("Arial");
    arial.setPixelSize(pixels);
    arial.setBold(true);
    l->setFont(arial);
    l->setAlignment(Qt::AlignCenter);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    l->setPalette(p);
    return l;
}
} // namespace

TWabout::TWabout(QWidget* parent) : QDialog(parent, fixedDialogFlags(Qt::Dialog)) {
    setObjectName("TWabout");
    refuseMinimize(*this);
    setWindowTitle("About Corvasine's Barometer");
    setFixedSize(341, 416);
    auto* panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setGeometry(6, 6, 329, 329);
    panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    pictureLabel(panel, "ProgramIcon", pictures::aboutPicture, QRect(9, 8, 310, 240));
    onPicture(text(panel, "ProductName", "Zediroved Avizadur", QRect(9, 40, 310, 30)), 24);
    onPicture(text(panel, "Version", "Version  3.5", QRect(9, 224, 310, 20)), 14);
    text(panel, "Label1", "Software Development :", QRect(12, 256, 170, 18), true);
    text(panel, "Label2", "Corvasine", QRect(186, 256, 130, 18));
    text(panel, "Label5", "Compilation Date:", QRect(12, 280, 170, 18), true);
    text(panel, "lb_date", QString::fromStdString(buildDate()), QRect(186, 280, 130, 18));
    for (QLabel* note :
         {text(this, "Label6", "New version with full support of Win 95/98/Me NT/2000/XP",
               QRect(6, 340, 329, 18)),
          text(this, "Label4", "and the Sensirion humidity sensor (in option).",
               QRect(6, 358, 329, 18))}) {
        QFont font = note->font();
        font.setPixelSize(11);
        note->setFont(font);
    }
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("bt_ok");
    ok->setGeometry(128, 384, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TWabout::bt_okClick);
    setResult(QDialog::Accepted);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void TWabout::bt_okClick() {
    done(QDialog::Accepted);
}
