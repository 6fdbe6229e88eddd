#include "charts/TimeLabel.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Plain labels in the left column, time labels sharing their pictures in the right one, row by
// row with the same text and alignment: on the screen each pair must look the same.
class TlabelPairs {
public:
    void add(const char* text, Qt::Alignment alignment) {
        const int top = 4 + 30 * static_cast<int>(plain.size());
        plain.push_back(setUp(new QLabel(&window), text, alignment, 4, top));
        timed.push_back(setUp(new TtimeLabel(pictures, &window), text, alignment, 120, top));
    }

    void setText(std::size_t row, const char* text) {
        plain[row]->setText(text);
        timed[row]->setText(text);
    }

    // Rows whose two labels differ on the screen.
    std::vector<std::size_t> differing() {
        window.show();
        QCoreApplication::processEvents();
        const QImage screen =
            QGuiApplication::primaryScreen()->grabWindow(window.winId()).toImage();
        std::vector<std::size_t> rows;
        for (std::size_t i = 0; i < plain.size(); ++i)
            if (screen.copy(plain[i]->geometry()) != screen.copy(timed[i]->geometry()))
                rows.push_back(i);
        return rows;
    }

    // As the chart window sets up its time labels.
    QLabel* setUp(QLabel* label, const char* text, Qt::Alignment alignment, int left, int top) {
        QFont font = window.font();
        font.setPixelSize(11);
        label->setText(text);
        label->setFont(font);
        label->setAlignment(alignment | Qt::AlignTop);
        label->setWordWrap(true);
        label->setAutoFillBackground(true);
        label->setGeometry(left, top, 92, 26);
        return label;
    }

    TlabelPictures pictures;
    QWidget window;
    std::vector<QLabel*> plain, timed;
};

} // namespace

// The same time under two plots, right and left of a plot and in its middle, a second label with
// the picture the first made, and a label given a new time after it was painted.
TEST(TimeLabel, LooksOnTheScreenAsAPlainLabel) {
    TlabelPairs pairs;
    pairs.window.resize(240, 160);
    pairs.add("Feb 20 10:44:55 2001\n", Qt::AlignLeft);
    pairs.add("Feb 20 10:44:55 2001\n", Qt::AlignRight);
    pairs.add("Feb 20 10:44:55 2001\n", Qt::AlignRight);
    pairs.add("Feb 20 10:45:28 2001\n", Qt::AlignHCenter);
    EXPECT_EQ(pairs.differing(), std::vector<std::size_t>{});
    pairs.setText(1, "Feb 20 10:46:01 2001\n");
    pairs.setText(3, "Mar 01 00:00:00 2001\n");
    EXPECT_EQ(pairs.differing(), std::vector<std::size_t>{});
}
