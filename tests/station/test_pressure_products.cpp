// The pressure products from worked numbers: QNH and QFF, units, the 3-hour tendency's
// characteristic and words, the storm alarm on a recorded fall.
#include "station/PressureProducts.h"
#include "station/PressureReduction.h"
#include "station/PressureUnits.h"
#include "station/StationValues.h"
#include "support/FakeHistory.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr std::int64_t now = 1'800'000'000 / 60 * 60; // a minute's start
constexpr std::int64_t hour = 3600;

Treading readingAt(std::int64_t time, double pressure, double temperature = 10) {
    Treading r;
    r.time = time;
    r.pressure = pressure;
    r.temperature = temperature;
    return r;
}

} // namespace

// Expected values from python3 with the formula and the standard atmosphere's table:
//   qff = qfe*math.exp(h/(29.263*(t+273.15)));  qnh = qfe + 1013.25 - (A - h)/B
// with (A, B) the table's segment of h, e.g. (8207, 8.1) for h <= 58.4 m.
TEST(PressureProducts, QnhAndQffFromWorkedNumbers) {
    struct Row {
        double h, qfe, qnh, qff[3];
    };
    const Row rows[] = {{-200, 1037.0, 1012.349, {1009.378, 1011.375, 1013.882}},
                        {0, 1013.0, 1013.040, {1013.000, 1013.000, 1013.000}},
                        {500, 955.0, 1013.599, {1021.683, 1016.646, 1010.372}},
                        {2000, 795.0, 1013.442, {1041.402, 1021.018, 996.046}}};
    const double temperatures[] = {-20, 0, 30};
    for (const Row& row : rows) {
        TstationValues v;
        v.changeLocalAltitude(row.h, row.qfe, 10);
        v.update(row.qfe, 10);
        EXPECT_NEAR(v.seaLevelPressure, row.qnh, 0.001) << row.h;
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(TpressureReduction::qff(row.qfe, row.h, temperatures[i]), row.qff[i], 0.001)
                << row.h << " m, " << temperatures[i] << " °C";
    }
}

// 12 hours before the reading the history holds minutes only every 20 minutes: the nearest one
// (5 minutes off) has -20 °C, so the mean with 20 °C now is 0 °C. Without a minute within 30
// minutes the temperature now (20 °C) stands alone: python3 gives 1012.317 for it.
TEST(PressureProducts, QffTakesTheMeanWithTheTemperatureTwelveHoursEarlier) {
    for (const auto& [last, expected] : {std::pair{now, 1016.646}, {now - 13 * hour, 1012.317}}) {
        TfakeHistory history(now - 14 * hour, last, 1200);
        history.temperature = [](std::int64_t t) { return t == now - 12 * hour ? -20.0 : 40.0; };
        TpressureProducts products;
        products.recall(history, now);
        EXPECT_EQ(history.asked, 1);
        Treading r = readingAt(now + 300, 955.0, 20);
        products.fill(r, 500);
        EXPECT_NEAR(r.qff.value_or(0), expected, 0.001);
    }
}

// Each characteristic from a curve through three points: 3 hours ago 1000 hPa, 1.5 hours ago
// 1000 + first, now 1000 + first + second, straight between them.
TEST(PressureProducts, EachCharacteristicFromACurveOfItsShape) {
    struct Shape {
        double first, second;
        int characteristic;
        const char* words;
    } const shapes[] = {
        {1.0, -0.5, 0, "rising slowly"},  {1.5, 0.1, 1, "rising"},
        {1.0, 1.0, 2, "rising"},          {-0.5, 1.5, 3, "rising slowly"},
        {0.0, 0.04, 4, "steady"},         {-1.0, 1.0, 5, "steady"},
        {-1.5, -0.1, 6, "falling"},       {-2.0, -2.0, 7, "falling quickly"},
        {0.5, -1.5, 8, "falling slowly"}, {0.8, -0.8, 0, "steady"},
        {0.3, 1.5, 3, "rising"},          {-0.3, -1.5, 8, "falling"},
        {1.5, 0.5, 1, "rising"},
    };
    for (const Shape& s : shapes) {
        TfakeHistory history(now - 4 * hour, now - 60);
        history.pressure = [&s](std::int64_t t) {
            const double x = double(t - (now - 3 * hour)) / (1.5 * hour);
            return 1000 + (x < 1 ? std::max(x, 0.0) * s.first : s.first + (x - 1) * s.second);
        };
        TpressureProducts products;
        products.recall(history, now);
        Treading r = readingAt(now, 1000 + s.first + s.second);
        products.fill(r, 0);
        EXPECT_EQ(r.tendencyCharacteristic.value_or(-1), s.characteristic) << s.first << s.second;
        EXPECT_NEAR(r.tendencyAmount.value_or(99), s.first + s.second, 0.051);
        EXPECT_EQ(TpressureTendency::words(r.tendencyAmount.value_or(99)), s.words);
    }
}

TEST(PressureProducts, TendencyAbsentWithLessThanThreeHoursAndRateWordsAtTheirBounds) {
    TfakeHistory history(now - 3 * hour + 120, now - 60);
    TpressureProducts products;
    products.recall(history, now);
    Treading r = readingAt(now, 990);
    products.fill(r, 0);
    EXPECT_FALSE(r.tendencyAmount || r.tendencyCharacteristic);
    r = readingAt(now + 120, 990);
    products.fill(r, 0);
    EXPECT_EQ(r.tendencyCharacteristic.value_or(-1), 8); // then 10 hPa down in the last minute
    const std::pair<double, const char*> bounds[] = {
        {0.04, "steady"},          {-0.1, "falling slowly"},    {1.5, "rising slowly"},
        {1.6, "rising"},           {-3.5, "falling"},           {3.6, "rising quickly"},
        {-6.0, "falling quickly"}, {6.1, "rising very rapidly"}};
    for (const auto& [amount, words] : bounds)
        EXPECT_EQ(TpressureTendency::words(amount), words) << amount;
}

// A recorded fall: 4 hours at 1010 hPa, 3 hours falling 2 hPa an hour, then steady. The 3-hour
// fall reaches 4.0 hPa two hours into the fall; it drops under 3.0 hPa 1.5 hours after the
// fall has ended (4.0 at 2 h; the window loses 2 hPa an hour) and is cleared an hour later.
TEST(PressureProducts, StormAlarmRaisedHeldAndClearedOnARecordedFall) {
    const std::int64_t fallStart = now + 4 * hour;
    const auto curve = [fallStart](std::int64_t t) {
        const double h = std::clamp(double(t - fallStart) / hour, 0.0, 3.0);
        return 1010 - 2 * h;
    };
    TpressureProducts products;
    std::vector<std::int64_t> changes; // raised, then cleared
    for (std::int64_t t = now; t <= now + 14 * hour; t += 30) {
        Treading r = readingAt(t, curve(t));
        products.fill(r, 0);
        if (r.stormAlarm != (changes.size() % 2 == 1)) changes.push_back(t - fallStart);
    }
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_NEAR(changes[0], 2 * hour, 120);
    EXPECT_NEAR(changes[1], 3 * hour + 2.5 * hour, 300);
}
