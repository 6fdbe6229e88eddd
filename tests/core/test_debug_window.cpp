#include "core/TWdebug.h"
#include "support/LastOf.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

#include <gtest/gtest.h>

#include <string>

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

namespace {
// The text line at the bottom edge of the memo's view.
QString bottomLine(QPlainTextEdit* memo) {
    const QPoint bottom(4, memo->viewport()->height() - 4);
    return memo->cursorForPosition(bottom).block().text();
}

void logLines(int from, int to) {
    for (int i = from; i <= to; ++i)
        debugPrint("line %d", i);
    QApplication::processEvents();
}
} // namespace

// The window is hidden while the program starts; once shown it must follow the newest line,
// also after the oldest lines start to drop out, unless the user has scrolled back.
TEST(DebugWindow, ShownWindowFollowsTheNewestLine) {
    TWdebug window;
    auto* memo = window.findChild<QPlainTextEdit*>("Memo1");
    ASSERT_NE(memo, nullptr);
    logLines(1, 200);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(bottomLine(memo), "line 200");
    logLines(201, 300);
    EXPECT_EQ(bottomLine(memo), "line 300");
    logLines(301, TWdebug::MaxLines + 400);
    EXPECT_EQ(bottomLine(memo),
              QString::fromStdString("line " + std::to_string(TWdebug::MaxLines + 400)));

    memo->verticalScrollBar()->setValue(0); // the user reads back: the view stays there
    logLines(1, 10);
    EXPECT_EQ(memo->verticalScrollBar()->value(), 0);
    memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
    logLines(11, 20);
    EXPECT_EQ(bottomLine(memo), "line 20");
}
