#include "core/TWdebug.h"
#include "support/LastOf.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>

namespace {
// The text line at the bottom edge of the memo's view.
QString bottomLine(QPlainTextEdit* memo) {
    const QPoint bottom(4, memo->viewport()->height() - 4);
    return memo->cursorForPosition(bottom).block().text();
}

// Runs the loop until the memo's last line is `text`, at most a second.
bool waitForLastLine(const QPlainTextEdit* memo, const QString& text) {
    QTimer tick; // wakes the wait below at least this often
    tick.start(10);
    QElapsedTimer waited;
    waited.start();
    while (memo->document()->lastBlock().text() != text && waited.elapsed() < 1000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents();
    return memo->document()->lastBlock().text() == text;
}

void logLines(const QPlainTextEdit* memo, int from, int to) {
    for (int i = from; i <= to; ++i)
        debugPrint("line %d", i);
    ASSERT_TRUE(waitForLastLine(memo, QString("line %1").arg(to)));
}

class PaintCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
    int paints = 0;
};
} // namespace

TEST(DebugWindow, HiddenWindowWithItsMemo) {
    TWdebug window;
    EXPECT_EQ(window.objectName(), "Wdebug");
    EXPECT_EQ(window.windowTitle(), "Wdebug");
    EXPECT_EQ(window.pos(), QPoint(817, 101));
    EXPECT_EQ(window.size(), QSize(460, 465));
    EXPECT_FALSE(window.isVisible());
    auto* memo = window.findChild<QPlainTextEdit*>("Memo1");
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->font().family(), "Courier New");
    EXPECT_EQ(memo->font().pixelSize(), 11);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(memo->toPlainText().isEmpty());
}

TEST(DebugWindow, EveryCallIsOneLineAndOnlyTheNewestLinesAreKept) {
    auto* window = new TWdebug;
    debugPrint("W%d = %d (0x%04X) ", 2, 48879, 48879);
    debugPrint(nullptr);
    ASSERT_EQ(window->lines().size(), 1u);
    EXPECT_EQ(firstOf(window->lines()), "W2 = 48879 (0xBEEF) ");
    for (int i = 1; i <= TWdebug::MaxLines + 5; ++i)
        debugPrint("line %d", i);
    ASSERT_EQ(window->lines().size(), static_cast<std::size_t>(TWdebug::MaxLines));
    EXPECT_EQ(firstOf(window->lines()), "line 6");
    EXPECT_EQ(lastOf(window->lines()), "line " + std::to_string(TWdebug::MaxLines + 5));
    delete window;
    EXPECT_EQ(debugSink(), nullptr);
    debugPrint("after the window: discarded");
}

// The memo holds the lines only while the window is shown: showing it brings every kept line,
// the newest in view; lines that come while it is shown go straight in, also past MaxLines.
TEST(DebugWindow, ShowingTheWindowPutsTheKeptLinesIntoItsMemo) {
    TWdebug window;
    auto* memo = window.findChild<QPlainTextEdit*>("Memo1");
    ASSERT_NE(memo, nullptr);
    debugPrint(""); // an empty line stays a line of its own
    for (int i = 1; i < TWdebug::MaxLines; ++i)
        debugPrint("line %d", i);
    EXPECT_TRUE(memo->toPlainText().isEmpty()); // nothing laid out while nobody looks
    window.show();
    ASSERT_EQ(memo->blockCount(), TWdebug::MaxLines);
    EXPECT_EQ(memo->document()->firstBlock().text(), "");
    EXPECT_EQ(memo->document()->firstBlock().next().text(), "line 1");
    EXPECT_EQ(memo->document()->lastBlock().text(),
              QString::fromStdString("line " + std::to_string(TWdebug::MaxLines - 1)));
    EXPECT_EQ(memo->verticalScrollBar()->value(), memo->verticalScrollBar()->maximum());

    debugPrint("shown %d", 1);
    debugPrint("shown %d", 2);
    ASSERT_TRUE(waitForLastLine(memo, "shown 2"));
    EXPECT_EQ(memo->blockCount(), TWdebug::MaxLines);
    EXPECT_EQ(memo->document()->firstBlock().text(), "line 2");
    EXPECT_EQ(memo->document()->lastBlock().text(), "shown 2");

    window.hide();
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    debugPrint("hidden");
    window.show();
    EXPECT_EQ(memo->document()->firstBlock().text(), "line 3");
    EXPECT_EQ(memo->document()->lastBlock().text(), "hidden");
    EXPECT_EQ(window.lines().size(), static_cast<std::size_t>(TWdebug::MaxLines));
}

// The window is hidden while the program starts; once shown it must follow the newest line,
// also after the oldest lines start to drop out, unless the user has scrolled back.
TEST(DebugWindow, ShownWindowFollowsTheNewestLine) {
    TWdebug window;
    auto* memo = window.findChild<QPlainTextEdit*>("Memo1");
    ASSERT_NE(memo, nullptr);
    for (int i = 1; i <= 200; ++i)
        debugPrint("line %d", i);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(bottomLine(memo), "line 200");
    logLines(memo, 201, 300);
    EXPECT_EQ(bottomLine(memo), "line 300");
    logLines(memo, 301, TWdebug::MaxLines + 400);
    EXPECT_EQ(bottomLine(memo),
              QString::fromStdString("line " + std::to_string(TWdebug::MaxLines + 400)));

    memo->verticalScrollBar()->setValue(0); // the user reads back: the view stays there
    logLines(memo, 1, 10);
    EXPECT_EQ(memo->verticalScrollBar()->value(), 0);
    memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
    logLines(memo, 11, 20);
    EXPECT_EQ(bottomLine(memo), "line 20");
}

// With the window shown and its log full, a burst of lines, each followed by a turn of the loop
// as the program logs them, is laid out and painted once, not once a line, and the memo still
// holds the newest MaxLines lines in order.
TEST(DebugWindow, ABurstOfLinesIntoTheFullShownLogIsPaintedOnce) {
    TWdebug window;
    auto* memo = window.findChild<QPlainTextEdit*>("Memo1");
    ASSERT_NE(memo, nullptr);
    for (int i = 1; i <= TWdebug::MaxLines; ++i)
        debugPrint("line %d", i);
    window.show();
    QApplication::processEvents();
    PaintCounter counter;
    memo->viewport()->installEventFilter(&counter);
    for (int i = 1; i <= 50; ++i) {
        debugPrint("new %d", i);
        QApplication::processEvents();
    }
    ASSERT_TRUE(waitForLastLine(memo, "new 50"));
    EXPECT_GE(counter.paints, 1);
    EXPECT_LE(counter.paints, 2);
    EXPECT_EQ(memo->blockCount(), TWdebug::MaxLines);
    EXPECT_EQ(memo->document()->firstBlock().text(), "line 51");
    EXPECT_EQ(memo->document()->findBlockByNumber(TWdebug::MaxLines - 50).text(), "new 1");
    EXPECT_EQ(bottomLine(memo), "new 50");
}
