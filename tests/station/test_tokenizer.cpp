#include "station/Tstreamtokenizer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
struct Token {
    std::string text;
    bool lineEnded;
    bool fileEnded;
    bool operator==(const Token&) const = default;
};

// Every token of `content`, up to and including the one that ends the file.
std::vector<Token> tokens(const std::string& content) {
    std::FILE* file = std::tmpfile();
    std::fwrite(content.data(), 1, content.size(), file);
    std::rewind(file);
    Tstreamtokenizer tokenizer;
    tokenizer.attach(file);
    std::vector<Token> out;
    bool line = false, end = false;
    while (!end) {
        const char* text = tokenizer.nextToken(line, end);
        out.push_back({text, line, end});
    }
    std::fclose(file);
    return out;
}

std::vector<std::string> texts(const std::string& content) {
    std::vector<std::string> out;
    for (const Token& t : tokens(content))
        out.push_back(t.text);
    return out;
}
} // namespace

TEST(Tokenizer, BlanksSeparateAndEveryLineEndFormEndsOneLine) {
    const std::vector<Token> expected = {
        {"a", false, false}, {"b", true, false}, {"c", true, false}, {"", true, true}};
    EXPECT_EQ(tokens("a\tb\nc\n"), expected);
    EXPECT_EQ(tokens("a b\r\nc\r\n"), expected);
    EXPECT_EQ(tokens("  a   b\rc\r"), expected);
    EXPECT_EQ(tokens("a\t \tb\n\rc\n\r"), expected);
}

TEST(Tokenizer, EmptyLinesAndALastLineWithoutEnd) {
    const std::vector<Token> expected = {
        {"", true, false}, {"", true, false}, {"x", false, false}, {"y", true, true}};
    EXPECT_EQ(tokens("\n\r\n x y"), expected);
    // Two line feeds are two line ends; so are CR LF CR LF.
    EXPECT_EQ(texts("a\n\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(texts("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(tokens(""), (std::vector<Token>{{"", true, true}}));
}

TEST(Tokenizer, QuotesGroupBlanksAndTakeEscapes) {
    EXPECT_EQ(texts("\"1002.5\"\n"), (std::vector<std::string>{"1002.5", ""}));
    EXPECT_EQ(texts("\"a b\"c d"), (std::vector<std::string>{"a bc", "d"}));
    EXPECT_EQ(texts("\"run on\""), (std::vector<std::string>{"run on"})); // n, r unescaped
    EXPECT_EQ(texts(R"("q\"x\\y\nz\rw\k")"), (std::vector<std::string>{"q\"x\\y\nz\rwk"}));
    // Outside quotes a backslash is an ordinary character, and so are / and *.
    EXPECT_EQ(texts(R"(a\b /*c*/)"), (std::vector<std::string>{"a\\b", "/*c*/"}));
    // A line end inside quotes ends the quoted part: the next line splits at blanks again.
    EXPECT_EQ(texts("\"a b\nc d"), (std::vector<std::string>{"a b", "c", "d"}));
}

TEST(Tokenizer, LongWordsAreCutInto255CharacterTokens) {
    const std::string word(600, 'k');
    const std::vector<std::string> parts = texts(word + " z");
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0].size(), 255u);
    EXPECT_EQ(parts[1].size(), 255u);
    EXPECT_EQ(parts[2].size(), 90u);
    EXPECT_EQ(parts[3], "z");
}

TEST(Tokenizer, NoStreamEndsAtOnce) {
    Tstreamtokenizer tokenizer;
    bool line = false, end = false;
    EXPECT_STREQ(tokenizer.nextToken(line, end), "");
    EXPECT_TRUE(line);
    EXPECT_TRUE(end);
}
