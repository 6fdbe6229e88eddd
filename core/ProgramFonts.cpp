#include "core/ProgramFonts.h"

#include <QApplication>
#include <QFont>

void installProgramFonts() {
    // Liberation Sans and Liberation Mono share Arial's and Courier New's widths; the others are
    // the nearest proportional (or fixed) faces where those are missing.
    const QStringList sans = {"Liberation Sans", "Arimo", "DejaVu Sans"};
    QFont::insertSubstitutions("Arial", sans);
    QFont::insertSubstitutions("MS Sans Serif", sans);
    QFont::insertSubstitutions("Courier New", {"Liberation Mono", "Cousine", "DejaVu Sans Mono"});
    QFont font(QStringList{"MS Sans Serif"});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11); // the size the windows' fixed places were drawn for
    QApplication::setFont(font);
}
