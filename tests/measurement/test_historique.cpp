#include "measurement/Thistorique.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Drawn {
    int x, y;
    std::string text;
    std::uint32_t colour;
    bool operator==(const Drawn&) const = default;
};

class RecordingCanvas : public ThistoriqueCanvas {
public:
    int textHeight(const char* text) override {
        asked.push_back(text);
        return 14;
    }
    void drawText(int x, int y, const std::string& text, std::uint32_t colour) override {
        drawn.push_back({x, y, text, colour});
    }
    std::vector<std::string> asked;
    std::vector<Drawn> drawn;
};

std::vector<std::string> leftTexts(const Thistorique& h) {
    RecordingCanvas canvas;
    h.paint(canvas, 10, 10, 180);
    std::vector<std::string> texts;
    for (const auto& d : canvas.drawn)
        if (d.x == 10) texts.push_back(d.text);
    return texts;
}

} // namespace

TEST(Historique, EmptyListRefusesTextsAndPaintsNothing) {
    Thistorique h;
    EXPECT_EQ(h.first, -1);
    EXPECT_EQ(h.current, -1);
    h.setLeft("x", 0);
    h.setRight("y", 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(h.left[i].empty());
        EXPECT_EQ(h.leftColour[i], Thistorique::White);
        EXPECT_EQ(h.rightColour[i], Thistorique::White);
    }
    RecordingCanvas canvas;
    h.paint(canvas, 10, 10, 180);
    EXPECT_TRUE(canvas.drawn.empty());
}

TEST(Historique, LinesArePaintedOldestFirstOneTextHeightApartInTheirColours) {
    Thistorique h;
    h.newLine();
    h.setLeft("Searching on LPT1 port", 0x000000);
    h.setRight("NOT FOUND", 0xFF0000);
    h.newLine();
    h.setLeft("Searching on COM1 port", 0x000000);
    RecordingCanvas canvas;
    h.paint(canvas, 10, 10, 180);
    EXPECT_EQ(canvas.asked, std::vector<std::string>{"Q"});
    const std::vector<Drawn> expected{{10, 10, "Searching on LPT1 port", 0x000000},
                                      {180, 10, "NOT FOUND", 0xFF0000},
                                      {10, 24, "Searching on COM1 port", 0x000000},
                                      {180, 24, "", Thistorique::White}};
    EXPECT_EQ(canvas.drawn, expected);
}

TEST(Historique, FourLinesShowTheLastThreeOldestFirst) {
    Thistorique h;
    for (const char* port : {"A", "B", "C", "D"}) {
        h.newLine();
        h.setLeft(port, 0);
    }
    EXPECT_EQ(h.current, 0);
    EXPECT_EQ(h.first, 1);
    EXPECT_EQ(leftTexts(h), (std::vector<std::string>{"B", "C", "D"}));
    for (const char* port : {"E", "F"}) {
        h.newLine();
        h.setLeft(port, 0);
    }
    EXPECT_EQ(h.first, 0); // wrapped from 2 back to 0
    EXPECT_EQ(leftTexts(h), (std::vector<std::string>{"D", "E", "F"}));
}

TEST(Historique, AReusedLineKeepsItsOldRightTextUntilSetAgain) {
    Thistorique h;
    for (const char* port : {"LPT1", "COM1", "COM2"}) {
        h.newLine();
        h.setLeft(port, 0);
        h.setRight("NOT FOUND", 0xFF0000);
    }
    h.newLine();
    h.setLeft("COM3", 0);
    RecordingCanvas canvas;
    h.paint(canvas, 10, 10, 180);
    ASSERT_EQ(canvas.drawn.size(), 6u);
    EXPECT_EQ(canvas.drawn[4].text, "COM3");
    EXPECT_EQ(canvas.drawn[5], (Drawn{180, 38, "NOT FOUND", 0xFF0000}));
    h.setRight("FOUND", 0x008000);
    EXPECT_EQ(h.right[h.current], "FOUND");
    h.clear();
    EXPECT_EQ(h.current, -1);
    EXPECT_TRUE(h.right[0].empty());
}
