#include "charts/RangeCheck.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Tfields = std::array<std::string, RangeFieldCount>;

// Pressure, altitude, temperature, humidity and SHT15 temperature, high before low.
Tfields validFields() {
    return {"1030.0", "990.0", "500", "-20", "35", "-10", "100", "0", "40", "0"};
}

} // namespace

TEST(RangeCheck, DecimalCommaFailsAndKeepsThePartBeforeIt) {
    Tfields fields = validFields();
    fields[ed_th] = "1,5";
    const TrangeCheck check = checkRangeFields(fields);
    ASSERT_EQ(check.errors.size(), 1u);
    EXPECT_EQ(check.errors[0], "Error : The value for the temperature high range must be a number");
    EXPECT_EQ(check.values[ed_th], 1.0);
}

TEST(RangeCheck, EveryFieldHasItsOwnNumberMessage) {
    Tfields words;
    words.fill("x");
    const char* const names[] = {
        "pressure high",   "pressure low",  "altitude high", "altitude low",     "temperature high",
        "temperature low", "humidity high", "humidity low",  "temperature high", "temperature low"};
    std::vector<std::string> expected;
    for (const char* name : names)
        expected.push_back(std::string("Error : The value for the ") + name +
                           " range must be a number");
    EXPECT_EQ(checkRangeFields(words).errors, expected); // all 0 then: no pair is reversed
}

TEST(RangeCheck, EveryFailingFieldThenEveryReversedPairInOrder) {
    Tfields fields = validFields();
    fields[ed_thl] = std::string("x"); // not from "x": GCC 12 -O3 sees a false overlap there
    fields[ed_pl] = "abc";
    fields[ed_ah] = "-30"; // below its low -20
    fields[ed_th] = "-11"; // below its low -10
    fields[ed_thh] = "-1"; // below 0, the part read before "x"
    fields[ed_ph] = "-5";  // below 0, the part read of "abc"
    const TrangeCheck check = checkRangeFields(fields);
    EXPECT_FALSE(check.passed());
    const std::vector<std::string> expected = {
        "Error : The value for the pressure low range must be a number",
        "Error : The value for the temperature low range must be a number",
        "Error : The high temperature range must be bigger than the low limit",
        "Error : The high pressure range must be bigger than the low limit",
        "Error : The high altitude range must be bigger than the low limit",
        "Error : The high temperature range must be bigger than the low limit",
    };
    EXPECT_EQ(check.errors, expected);
}

TEST(RangeCheck, EmptyFieldsReadAsZeroAndBlanksAreSkippedAnywhere) {
    Tfields fields = validFields();
    fields[ed_hl] = "";
    fields[ed_ph] = " 1 0\t3 0 ";
    fields[ed_tl] = "";
    const TrangeCheck check = checkRangeFields(fields);
    EXPECT_TRUE(check.passed());
    EXPECT_EQ(check.values[ed_hl], 0.0);
    EXPECT_EQ(check.values[ed_tl], 0.0);
    EXPECT_EQ(check.values[ed_ph], 1030.0);
    fields[ed_th] = ""; // now high 0 against low 0: equal bounds pass
    EXPECT_TRUE(checkRangeFields(fields).passed());
    fields[ed_hh] = ""; // an empty high is 0, below this low
    fields[ed_hl] = "0.1";
    EXPECT_EQ(checkRangeFields(fields).errors,
              std::vector<std::string>{
                  "Error : The high humidity range must be bigger than the low limit"});
}
