#pragma once

#include <QFont>
#include <QImage>
#include <QLabel>
#include <QPalette>

#include <array>
#include <cstddef>

// The last pictures of time labels, each with what it was painted from. The pressure and the
// temperature panel show the same times under their plots, so each text is laid out once and
// the second label copies the picture of the first: laying out and drawing a wrapped text costs
// far more than copying its pixels. A picture is painted by a plain label that never shows,
// set up as the label it stands for.
class TlabelPictures {
public:
    TlabelPictures();

    // The label as a plain label with its text, look and size paints it.
    const QImage& pictureOf(const QLabel& label);

private:
    struct Tlook {
        QString text;
        QSize size;
        int alignment = 0;
        bool wordWrap = false;
        int margin = 0;
        int indent = -1;
        QFont font;
        QPalette palette;
        bool enabled = true;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        qreal pixelRatio = 1;

        bool operator==(const Tlook& other) const;
    };
    struct Tentry {
        Tlook look;
        QImage picture;
    };

    static Tlook lookOf(const QLabel& label);
    QImage paint(const Tlook& look);

    QLabel stamp;
    std::array<Tentry, 8> entries;
    std::size_t next = 0;
};

// A label that shows a time under a plot, through the pictures it shares with the others. It
// fills its own background, as the pictures do.
class TtimeLabel : public QLabel {
public:
    TtimeLabel(TlabelPictures& pictures, QWidget* parent) : QLabel(parent), pictures(pictures) {
        setAutoFillBackground(true);
    }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TlabelPictures& pictures;
};
