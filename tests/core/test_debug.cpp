#include "core/Tdebug.h"
#include "support/CaptureLog.h"

#include <gtest/gtest.h>

#include <string>

namespace {
template <class... Args> std::string fmt(const char* format, Args... args) {
    char out[256];
    debugFormat(out, sizeof out, format, args...);
    return out;
}
} // namespace

TEST(DebugFormat, ConversionsFollowTheirLetters) {
    EXPECT_EQ(fmt("100%%"), "100%");
    EXPECT_EQ(fmt("[%5s]", "ab"), "[ab]");
    EXPECT_EQ(fmt("%04X", 10), "000A");
    EXPECT_EQ(fmt("W%d = %d (0x%04X) ", 2, 48879, 48879), "W2 = 48879 (0xBEEF) ");
    EXPECT_EQ(fmt("%c%c", 'o', 0x16B), "ok"); // low byte only
    EXPECT_EQ(fmt("%i|%u|%x", -5, 7, 255), "-5|7|ff");
    EXPECT_EQ(fmt("%.2f %e %g %G %E", 1013.256, 1.5, 0.5, 2.0, 3.0),
              "1013.26 1.500000e+00 0.5 2 3.000000E+00");
    EXPECT_EQ(fmt("plain text, no conversion"), "plain text, no conversion");
}

TEST(DebugFormat, LongDirectivesAndOutputsStayBounded) {
    EXPECT_EQ(fmt("%040d", 1).size(), 34u); // numeric text cut at 34 characters
    const std::string text(300, 'x');
    char out[512];
    debugFormat(out, sizeof out, "%s", text.c_str());
    EXPECT_EQ(std::string(out), text); // texts are not cut
    // A directive longer than 31 characters, or one the format ends inside, stays text.
    EXPECT_EQ(fmt("a%5"), "a%5");
    EXPECT_EQ(fmt("%000000000000000000000000000000000d|", 7).back(), '|');
    // 31 characters from "%" to the letter are still one conversion; 32 are not.
    const std::string directive31 = "%" + std::string(28, '-') + "5d|";
    EXPECT_EQ(fmt(directive31.c_str(), 7), "7    |");
    const std::string directive32 = "%" + std::string(29, '-') + "5d|";
    EXPECT_EQ(fmt(directive32.c_str(), 7), directive32);
}

TEST(DebugFormat, WithoutRoomNothingIsWritten) {
    char out[2] = {'x', 'y'};
    debugFormat(out, 0, "abc");
    EXPECT_EQ(out[0], 'x');
    debugFormat(nullptr, 8, "abc");
    debugFormat(out, 2, nullptr);
    EXPECT_EQ(out[0], '\0');
}

TEST(DebugFormat, LengthLettersAndStarsNeverReadOtherArguments) {
    EXPECT_EQ(fmt("%ld %hd", 12, 34), "12 34");
    EXPECT_EQ(fmt("%*d", 5), "5");
    EXPECT_EQ(fmt("%nd", 9), "9");
}

TEST(DebugPrint, OneCallOneLineAndNothingWithoutSinkOrFormat) {
    debugPrint("lost %d", 1); // no sink: discarded, must not crash
    TcaptureLog log;
    debugPrint(nullptr);
    EXPECT_TRUE(log.lines.empty());
    debugPrint("Tsscp : OnNotification(THIS, %d)", 11);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Tsscp : OnNotification(THIS, 11)"}));
}
