#include "core/TWdebug.h"

#include <QPlainTextEdit>
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
    auto* memo = window->findChild<QPlainTextEdit*>("Memo1");
    ASSERT_NE(memo, nullptr);
    debugPrint("W%d = %d (0x%04X) ", 2, 48879, 48879);
    debugPrint(nullptr);
    EXPECT_EQ(memo->toPlainText(), "W2 = 48879 (0xBEEF) ");
    for (int i = 1; i <= TWdebug::MaxLines + 5; ++i)
        debugPrint("line %d", i);
    EXPECT_EQ(memo->blockCount(), TWdebug::MaxLines);
    EXPECT_EQ(memo->document()->firstBlock().text(), "line 6");
    EXPECT_EQ(memo->document()->lastBlock().text(),
              QString::fromStdString("line " + std::to_string(TWdebug::MaxLines + 5)));
    delete window;
    EXPECT_EQ(debugSink(), nullptr);
    debugPrint("after the window: discarded");
}
