#include "charts/TimeLabel.h"

#include <QPainter>

bool TlabelPictures::Tlook::operator==(const Tlook& other) const {
    return text == other.text && size == other.size && alignment == other.alignment &&
           wordWrap == other.wordWrap && margin == other.margin && indent == other.indent &&
           font == other.font && palette == other.palette && enabled == other.enabled &&
           direction == other.direction && pixelRatio == other.pixelRatio;
}

TlabelPictures::TlabelPictures() {
    stamp.setAutoFillBackground(true);
}

TlabelPictures::Tlook TlabelPictures::lookOf(const QLabel& label) {
    return {label.text(),
            label.size(),
            static_cast<int>(label.alignment()),
            label.wordWrap(),
            label.margin(),
            label.indent(),
            label.font(),
            label.palette(),
            label.isEnabled(),
            label.layoutDirection(),
            label.devicePixelRatio()};
}

const QImage& TlabelPictures::pictureOf(const QLabel& label) {
    const Tlook look = lookOf(label);
    for (const Tentry& entry : entries)
        if (!entry.picture.isNull() && entry.look == look) return entry.picture;
    Tentry& made = entries[next];
    next = (next + 1) % entries.size();
    made = {look, paint(look)};
    return made.picture;
}

// The font and the colours are taken whole: the stamp has no parent to inherit the rest from.
QImage TlabelPictures::paint(const Tlook& look) {
    QFont font = look.font;
    font.setResolveMask(QFont::AllPropertiesResolved);
    QPalette palette = look.palette;
    palette.setResolveMask(~QPalette::ResolveMask{0});
    stamp.setFont(font);
    stamp.setPalette(palette);
    stamp.setText(look.text);
    stamp.setAlignment(Qt::Alignment(look.alignment));
    stamp.setWordWrap(look.wordWrap);
    stamp.setMargin(look.margin);
    stamp.setIndent(look.indent);
    stamp.setEnabled(look.enabled);
    stamp.setLayoutDirection(look.direction);
    stamp.resize(look.size);
    QImage picture(look.size * look.pixelRatio, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(look.pixelRatio);
    stamp.render(&picture, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return picture;
}

void TtimeLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), pictures.pictureOf(*this));
}
