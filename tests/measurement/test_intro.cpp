#include "core/Globals.h"
#include "core/Prompts.h"
#include "measurement/Tintro.h"
#include "support/ScriptedPrompts.h"
#include "support/WindowButtons.h"

#include <QFontMetrics>
#include <QFrame>
#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>

namespace {

struct IntroTest : ::testing::Test {
    TscriptedPrompts prompts;
    TWintro intro;
    void SetUp() override { theSystem.prompts = &prompts; }
    void TearDown() override { theSystem.prompts = nullptr; }

    QWidget* child(const char* name) { return intro.findChild<QWidget*>(name); }
    QImage paintBox() {
        QWidget* box = child("PaintBox1");
        QImage image(box->size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        box->render(&image);
        return image;
    }
    template <class Pred> static int count(const QImage& image, QRect area, Pred pred) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (pred(QColor(image.pixel(x, y)))) ++n;
        return n;
    }
    static int countColour(const QImage& image, QRgb colour, QRect area) {
        return count(image, area, [colour](QColor c) { return c.rgb() == (colour | 0xFF000000); });
    }
    // Anti-aliased text: pixels clearly of the hue wanted.
    static int countRed(const QImage& image, QRect area) {
        return count(image, area, [](QColor c) { return c.red() > c.green() + 80; });
    }
    static int countGreen(const QImage& image, QRect area) {
        return count(image, area, [](QColor c) {
            return c.green() > c.red() + 40 && c.green() > c.blue() + 40;
        });
    }
    static int countDark(const QImage& image, QRect area) {
        return count(image, area, [](QColor c) { return c.lightness() < 90; });
    }
};

} // namespace

TEST_F(IntroTest, WindowAndControlsStandAtTheirPlaces) {
    EXPECT_EQ(intro.windowTitle(), "Intro");
    EXPECT_EQ(intro.size(), QSize(316, 279));
    EXPECT_TRUE(onlyCloseButton(intro));
    EXPECT_FALSE(intro.isVisible());
    EXPECT_EQ(child("Panel1")->geometry(), QRect(16, 8, 281, 193));
    EXPECT_EQ(child("PaintBox1")->geometry(), QRect(16, 208, 281, 65));
    auto* label1 = intro.findChild<QLabel*>("Label1");
    ASSERT_NE(label1, nullptr);
    EXPECT_EQ(label1->parentWidget(), child("Panel1"));
    EXPECT_EQ(label1->geometry(), QRect(24, 24, 220, 32));
    EXPECT_EQ(label1->text(), "Barometer / Altimeter software for Windows 9x/NT/2000/XP");
    EXPECT_TRUE(label1->font().bold());
    EXPECT_EQ(label1->font().pixelSize(), 13);
    EXPECT_TRUE(label1->wordWrap());
    auto* label2 = intro.findChild<QLabel*>("Label2");
    EXPECT_EQ(label2->geometry(), QRect(8, 64, 265, 41));
    EXPECT_TRUE(label2->text().contains("Corvasine"));
    auto* image = intro.findChild<QLabel*>("Image1");
    EXPECT_EQ(image->geometry(), QRect(16, 112, 241, 33));
    const QImage logo = image->pixmap().toImage();
    ASSERT_FALSE(logo.isNull());
    EXPECT_GT(logo.width() * logo.height() - countColour(logo, 0xFFFFFF, logo.rect()), 200);
}

TEST_F(IntroTest, ProgressLinesArePaintedInTheirColours) {
    intro.showIntro();
    EXPECT_TRUE(intro.isVisible());
    intro.searching("LPT1");
    intro.result(false);
    intro.searching("COM3");
    intro.result(true);
    EXPECT_EQ(intro.lines().left[0], "Searching on LPT1 port");
    EXPECT_EQ(intro.lines().right[1], "FOUND");
    EXPECT_EQ(intro.lines().rightColour[0], 0xFF0000u); // NOT FOUND in red
    EXPECT_EQ(intro.lines().rightColour[1], 0x008000u); // FOUND in dark green
    EXPECT_EQ(intro.lines().leftColour[0], 0x000000u);
    EXPECT_EQ(intro.lines().leftColour[1], 0x000000u);
    const QImage image = paintBox();
    const QRect rightColumn(180, 0, 101, 65), leftColumn(0, 0, 175, 65);
    EXPECT_GT(countRed(image, rightColumn), 20);
    EXPECT_GT(countGreen(image, rightColumn), 20);
    EXPECT_EQ(countRed(image, leftColumn) + countGreen(image, leftColumn), 0);
    EXPECT_GT(countDark(image, leftColumn), 50);
    EXPECT_EQ(countDark(image, QRect(0, 0, 281, 10)), 0); // the first line starts at y 10
    // The red line comes first, the green one under it.
    const int firstLineEnd =
        10 + QFontMetrics(intro.findChild<QWidget*>("PaintBox1")->font()).height();
    EXPECT_GT(countRed(image, QRect(180, 10, 101, firstLineEnd - 10)), 20);
    EXPECT_EQ(countGreen(image, QRect(180, 10, 101, firstLineEnd - 10)), 0);
}

TEST_F(IntroTest, ShowingAgainClearsTheLines) {
    intro.showIntro();
    intro.searching("LPT1");
    intro.showIntro();
    EXPECT_EQ(intro.lines().current, -1);
    EXPECT_EQ(countDark(paintBox(), QRect(0, 0, 281, 65)), 0);
}

TEST_F(IntroTest, CloseWithoutModuleShowsTheErrorBoxThenHides) {
    intro.showIntro();
    intro.closeIntro(true);
    EXPECT_FALSE(intro.isVisible());
    EXPECT_TRUE(prompts.shown.empty());
    intro.showIntro();
    intro.closeIntro(false);
    EXPECT_FALSE(intro.isVisible());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              "Error: No module found, please check the connection and/or plug-in the module.\n");
    EXPECT_EQ(prompts.shown[0].icon, TpromptIcon::Error);
    EXPECT_EQ(prompts.shown[0].buttons, TpromptButtons::Ok);
}
