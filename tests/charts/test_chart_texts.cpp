#include "charts/ChartTexts.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>

namespace {

// Runs the time-label checks in a fixed zone and restores the caller's afterwards.
class TimeLabel : public ::testing::Test {
protected:
    void SetUp() override {
        const char* zone = std::getenv("TZ");
        hadZone = zone != nullptr;
        if (hadZone) savedZone = zone;
    }
    void TearDown() override {
        if (hadZone)
            setenv("TZ", savedZone.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static void zone(const char* tz) {
        setenv("TZ", tz, 1);
        tzset();
    }
    bool hadZone = false;
    std::string savedZone;
};

} // namespace

TEST_F(TimeLabel, EnglishMonthTwoDigitFieldsAndALineEnd) {
    zone("UTC0");
    EXPECT_EQ(FormatTimeLabel(982665895), "Feb 20 10:44:55 2001\n");
    EXPECT_EQ(FormatTimeLabel(1796634303), "Dec 07 09:05:03 2026\n");
    EXPECT_EQ(FormatTimeLabel(0), "Jan 01 00:00:00 1970\n");
    EXPECT_EQ(FormatTimeLabel(4102444800LL), "Jan 01 00:00:00 2100\n"); // beyond 32 bits
    // The 15th of every month of 2001 at noon.
    const std::pair<std::int64_t, const char*> months[] = {
        {979560000, "Jan"},  {982238400, "Feb"},  {984657600, "Mar"},  {987336000, "Apr"},
        {989928000, "May"},  {992606400, "Jun"},  {995198400, "Jul"},  {997876800, "Aug"},
        {1000555200, "Sep"}, {1003147200, "Oct"}, {1005825600, "Nov"}, {1008417600, "Dec"}};
    for (const auto& [seconds, month] : months)
        EXPECT_EQ(FormatTimeLabel(seconds), std::string(month) + " 15 12:00:00 2001\n");
}

TEST_F(TimeLabel, FollowsTheLocalZoneWhateverTheLanguage) {
    zone("CET-1");
    const char* previous = std::setlocale(LC_TIME, nullptr);
    const std::string saved = previous ? previous : "C";
    std::setlocale(LC_TIME, "de_DE.UTF-8"); // month names must stay English when present
    EXPECT_EQ(FormatTimeLabel(982665895), "Feb 20 11:44:55 2001\n");
    std::setlocale(LC_TIME, saved.c_str());
    zone("EST5");
    EXPECT_EQ(FormatTimeLabel(0), "Dec 31 19:00:00 1969\n");
}

TEST(ChartNumbers, FixedPointIgnoresTheNumericLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(fixedText(-3.5, 2), "-3.50");
    EXPECT_EQ(fixedText(9999.9, 2), "9999.90");
    EXPECT_EQ(fixedText(1013.254, 1), "1013.3");
    EXPECT_EQ(fixedText(8, 0), "8");
    EXPECT_EQ(fixedText(-0.004, 2), "-0.00");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(ChartNumbers, RangeLabelsFromTopToBottom) {
    const auto texts = rangeLabelTexts(990, 1020);
    EXPECT_EQ(texts[0], "1020.00");
    EXPECT_EQ(texts[1], "1010.00");
    EXPECT_EQ(texts[2], "1000.00");
    EXPECT_EQ(texts[3], "990.00");
    const auto flat = rangeLabelTexts(-2.5, -2.5);
    for (const auto& text : flat)
        EXPECT_EQ(text, "-2.50");
}

TEST(ChartNumbers, PlotWindowsAreOpenAndRejectTheMarkers) {
    EXPECT_TRUE(insidePlotWindow(TchartPlot::pressure, 1013.25));
    EXPECT_FALSE(insidePlotWindow(TchartPlot::pressure, 9999.9));
    EXPECT_FALSE(insidePlotWindow(TchartPlot::pressure, 0));
    EXPECT_TRUE(insidePlotWindow(TchartPlot::temperature, -98.9));
    EXPECT_FALSE(insidePlotWindow(TchartPlot::temperature, -99));
    EXPECT_FALSE(insidePlotWindow(TchartPlot::temperature, 999.9));
    EXPECT_TRUE(insidePlotWindow(TchartPlot::altitude, -999));
    EXPECT_FALSE(insidePlotWindow(TchartPlot::altitude, -1000));
    EXPECT_FALSE(insidePlotWindow(TchartPlot::humidity, 0)); // no humidity sensor
    EXPECT_TRUE(insidePlotWindow(TchartPlot::humidity, 999));
    EXPECT_FALSE(insidePlotWindow(TchartPlot::humidityTemperature, 0));
    EXPECT_FALSE(insidePlotWindow(TchartPlot::humidityTemperature, -5));
    EXPECT_FALSE(insidePlotWindow(TchartPlot::pressure, std::nan("")));
}
