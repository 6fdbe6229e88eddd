#include "charts/TimeLabel.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A plain label set up as the chart window sets up its time labels.
QLabel* timeLabel(QLabel* label, const char* text, Qt::Alignment alignment, QPoint place) {
    QFont font = label->font();
    font.setPixelSize(11);
    label->setFont(font);
    label->setText(text);
    label->setAlignment(alignment | Qt::AlignTop);
    label->setWordWrap(true);
    label->setAutoFillBackground(true);
    label->setGeometry(QRect(place, QSize(92, 26)));
    return label;
}

} // namespace

// Row by row a plain label and a time label with the same text and alignment: the same time
// left and right of a plot, a second label with the picture the first made, one in the middle,
// and two labels given a new time after they were painted look the same on the screen.
TEST(TimeLabel, LooksOnTheScreenAsAPlainLabel) {
    const struct {
        const char *text, *later;
        Qt::Alignment alignment;
    } rows[] = {{"Feb 20 10:44:55 2001\n", nullptr, Qt::AlignLeft},
                {"Feb 20 10:44:55 2001\n", "Feb 20 10:46:01 2001\n", Qt::AlignRight},
                {"Feb 20 10:44:55 2001\n", nullptr, Qt::AlignRight},
                {"Feb 20 10:45:28 2001\n", "Mar 01 00:00:00 2001\n", Qt::AlignHCenter}};
    TlabelPictures pictures;
    QWidget window;
    std::vector<std::pair<QLabel*, QLabel*>> pairs;
    for (const auto& row : rows) {
        const int top = 4 + 30 * static_cast<int>(pairs.size());
        pairs.emplace_back(
            timeLabel(new QLabel(&window), row.text, row.alignment, {4, top}),
            timeLabel(new TtimeLabel(pictures, &window), row.text, row.alignment, {120, top}));
    }
    window.show();
    for (bool later : {false, true}) {
        for (std::size_t i = 0; later && i < pairs.size(); ++i)
            for (QLabel* label : {pairs[i].first, pairs[i].second})
                if (rows[i].later) label->setText(rows[i].later);
        QCoreApplication::processEvents();
        const QImage screen =
            QGuiApplication::primaryScreen()->grabWindow(window.winId()).toImage();
        for (std::size_t i = 0; i < pairs.size(); ++i)
            EXPECT_TRUE(screen.copy(pairs[i].first->geometry()) ==
                        screen.copy(pairs[i].second->geometry()))
                << "row " << i << (later ? ", later" : "");
    }
}
