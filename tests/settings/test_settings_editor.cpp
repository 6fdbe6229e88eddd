#include "settings/FakeParameters.h"
#include "support/ScriptedPrompts.h"

#include "core/Prompts.h"
#include "measurement/Tsensor.h"
#include "settings/TsettingsEditor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const nMessage = "Error : The n value must be an integer, larger than 0";
const char* const tsMessage = "Error : The ts value must be an integer, larger than 0";
const char* const confirmation = "Error : For more than 8 samples, the sampling time (ts) must be "
                                 "at least 2 seconds.\n Correct ts to 2 seconds ?";
const char* const sunnyLarger =
    "Error : The \"Sunny\" limit for the meteo must be larger than the \"Variable\" one";
const char* const variableLarger =
    "Error : The \"Variable\" limit for the meteo must be larger than the \"Overcast\" one";

class Editor : public testing::Test {
protected:
    void SetUp() override { editor.show(&parameters); }

    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (const auto& shown : prompts.shown)
            texts.push_back(shown.text);
        return texts;
    }

    TsettingsEditor::Result ok() { return editor.ok(&parameters, &prompts); }

    FakeParameters parameters;
    TscriptedPrompts prompts;
    TsettingsEditor editor;
};

} // namespace

TEST_F(Editor, ShowFillsEveryFieldInItsFormat) {
    parameters.values[1] = 8.9;
    parameters.values[2] = 90061; // 1 d 1 h 1 min 1 s
    parameters.values[3] = 123.45;
    parameters.values[7] = 0.25;
    parameters.calibration.W1 = 0xFFFF;
    parameters.calibration.W4 = 0x1234;
    parameters.calibration.computeC();
    editor.show(&parameters);
    const TsettingsTexts& t = editor.text;
    EXPECT_EQ(t.alti, "123.5");
    EXPECT_EQ(t.altifeet, "404.9");
    EXPECT_EQ(t.n, "8");
    EXPECT_EQ(t.ts[0] + t.ts[1] + t.ts[2] + t.ts[3], "1111");
    EXPECT_EQ(t.w[0], "65535");
    EXPECT_EQ(t.lbW[0], "0xffff");
    EXPECT_EQ(t.lbW[1], "0x0");
    EXPECT_EQ(t.w[3], "4660");
    EXPECT_EQ(t.lbW[3], "0x1234");
    EXPECT_EQ(t.c[0], "32767");
    EXPECT_EQ(t.lbC[4], "0x400");
    EXPECT_EQ(t.sunny + " " + t.variable + " " + t.overcast + " " + t.hysteresis,
              "1016.0 1009.0 1002.0 0.2");
    EXPECT_EQ(t.quickDown + " " + t.slowDown + " " + t.quickUp + " " + t.slowUp,
              "-0.900 -0.230 0.900 0.230");
}

TEST_F(Editor, TsAtAndJustBelowADaySplitsIntoItsParts) {
    parameters.values[2] = 86399;
    editor.show(&parameters);
    const TsettingsTexts& t = editor.text;
    EXPECT_EQ(t.ts[0] + " " + t.ts[1] + " " + t.ts[2] + " " + t.ts[3], "0 23 59 59");
    parameters.values[2] = 86400;
    editor.show(&parameters);
    EXPECT_EQ(t.ts[0] + " " + t.ts[1] + " " + t.ts[2] + " " + t.ts[3], "1 0 0 0");
}

TEST_F(Editor, ShowWithoutMainWindowLeavesTheFields) {
    editor.text.n = "typed";
    editor.show(nullptr);
    EXPECT_EQ(editor.text.n, "typed");
}

TEST_F(Editor, AltitudeIsConvertedAndLimitedWhileTyping) {
    editor.text.alti = "10000";
    editor.altitudeTyped();
    EXPECT_EQ(editor.text.alti, "9166");
    EXPECT_EQ(editor.text.altifeet, "30064.5");
    editor.text.alti = "-800";
    editor.altitudeTyped();
    EXPECT_EQ(editor.text.alti, "-703");
    EXPECT_DOUBLE_EQ(editor.editedAltitude(), -703);
    editor.text.alti = "12,5"; // does not parse: the altitude stays, the feet follow it
    editor.altitudeTyped();
    EXPECT_EQ(editor.text.alti, "12,5");
    EXPECT_EQ(editor.text.altifeet, "-2305.8");

    editor.text.altifeet = "100";
    editor.altitudeFeetTyped();
    EXPECT_EQ(editor.text.alti, "30.5");
    EXPECT_EQ(editor.text.altifeet, "100");
    editor.text.altifeet = "40000";
    editor.altitudeFeetTyped();
    EXPECT_EQ(editor.text.altifeet, "30064.48");
    EXPECT_EQ(editor.text.alti, "9166.0");
}

TEST_F(Editor, WAndCConvertIntoEachOtherWithoutRewritingTheTypedField) {
    editor.text.w[0] = "65535";
    editor.wTyped(0);
    EXPECT_EQ(editor.text.c[0], "32767");
    EXPECT_EQ(editor.text.lbC[0], "0x7fff");
    EXPECT_EQ(editor.text.c[4], "1024");
    EXPECT_EQ(editor.text.lbC[4], "0x400");
    EXPECT_EQ(editor.text.c[1] + editor.text.c[2] + editor.text.c[3] + editor.text.c[5], "0000");
    EXPECT_EQ(editor.text.lbW[0], "0xffff");

    editor.text.w[0] = "1x"; // the leading digits count
    editor.wTyped(0);
    EXPECT_EQ(editor.text.w[0], "1x");
    EXPECT_EQ(editor.text.c[0], "0");
    EXPECT_EQ(editor.text.c[4], "1024");

    editor.text.c[0] = "+32767";
    editor.cTyped(0);
    EXPECT_EQ(editor.text.c[0], "+32767");
    EXPECT_EQ(editor.text.w[0], "65535");
    EXPECT_EQ(editor.text.lbW[0], "0xffff");
    EXPECT_EQ(editor.calibration().W1, 0xFFFF);
}

TEST_F(Editor, TsPartsAreTakenAsTypedOrRestored) {
    editor.text.ts[1] = "30";
    editor.tsLeft(1);
    editor.text.ts[2] = "-5";
    editor.tsLeft(2);
    editor.text.ts[3] = "abc";
    editor.tsLeft(3);
    EXPECT_EQ(editor.tsPart(1), 30);
    EXPECT_EQ(editor.tsPart(2), -5);
    EXPECT_EQ(editor.tsPart(3), 1);
    EXPECT_EQ(editor.text.ts[3], "1");
}

TEST_F(Editor, RestoreFromSensorTakesTheModuleCalibration) {
    editor.restoreFromSensor(nullptr);
    EXPECT_EQ(editor.text.w[0], "0");
    Tsensor sensor;
    sensor.calModule.W1 = 0xFFFF;
    sensor.calModule.W2 = 0x1234;
    sensor.calInUse.W3 = 0x5555; // the set in use is not the module's
    editor.restoreFromSensor(&sensor);
    EXPECT_EQ(editor.text.w[0], "65535");
    EXPECT_EQ(editor.text.w[1], "4660");
    EXPECT_EQ(editor.text.lbW[1], "0x1234");
    EXPECT_EQ(editor.text.c[0], "32767");
    EXPECT_EQ(editor.text.c[5], "52"); // 0x34
    EXPECT_EQ(editor.text.w[2], "0");
}

TEST_F(Editor, OkCommitsEverythingInOrder) {
    editor.text.n = "4";
    for (int part : {0, 1, 2}) {
        editor.text.ts[part] = part == 2 ? "2" : "1"; // 1 d 1 h 2 min, and the shown 1 s
        editor.tsLeft(part);
    }
    editor.text.alti = "500";
    editor.altitudeTyped();
    editor.text.hysteresis = ""; // an empty field reads as 0
    editor.text.w[0] = "65535";
    editor.wTyped(0);
    ASSERT_EQ(ok(), TsettingsEditor::Result::Committed);
    EXPECT_TRUE(prompts.shown.empty());
    // Unchanged limits go variable first, then overcast, then sunny.
    const std::vector<std::pair<int, double>> expected = {
        {1, 4}, {2, 90121}, {3, 500},    {5, 1009}, {6, 1002}, {4, 1016},
        {7, 0}, {9, -0.9},  {10, -0.23}, {11, 0.9}, {12, 0.23}};
    EXPECT_EQ(parameters.calls, expected);
    EXPECT_EQ(parameters.calibrationsSet, 1);
    EXPECT_EQ(parameters.calibration.C1, 32767);
}

TEST_F(Editor, FailedSamplingGroupAsksNoConfirmation) {
    editor.text.n = "9";
    for (int part = 0; part < 4; ++part) {
        editor.text.ts[part] = std::string("0"); // not from "0": GCC 12 -O3 sees a false overlap
        editor.tsLeft(part);
    }
    EXPECT_EQ(ok(), TsettingsEditor::Result::Failed);
    EXPECT_EQ(messages(), std::vector<std::string>{tsMessage});
    EXPECT_EQ(prompts.shown.at(0).caption, "Error");
    EXPECT_EQ(prompts.shown.at(0).icon, TpromptIcon::Error);
    editor.text.n = "9.0"; // a whole number
    editor.text.ts[3] = "1";
    editor.tsLeft(3);
    prompts.shown.clear();
    prompts.answers = {TpromptAnswer::Yes};
    EXPECT_EQ(ok(), TsettingsEditor::Result::Committed);
    EXPECT_EQ(messages(), std::vector<std::string>{confirmation});
    EXPECT_EQ(prompts.shown.at(0).caption, "Error");
    EXPECT_EQ(prompts.shown.at(0).icon, TpromptIcon::Warning);
    EXPECT_EQ(prompts.shown.at(0).buttons, TpromptButtons::YesNo);
    EXPECT_EQ(parameters.values[2], 2);
}

TEST_F(Editor, ConfirmationOnlyForMoreThanEightSamplesBelowTwoSeconds) {
    struct Case {
        const char *n, *seconds;
        bool asked;
        double ts;
    } cases[] = {{"8", "1", false, 1}, {"9", "2", false, 2}, {"9", "1", true, 2}};
    for (const Case& c : cases) {
        prompts.shown.clear();
        prompts.answers = {TpromptAnswer::Yes};
        editor.text.n = c.n;
        editor.text.ts[3] = c.seconds;
        editor.tsLeft(3);
        ASSERT_EQ(ok(), TsettingsEditor::Result::Committed) << c.n << " " << c.seconds;
        EXPECT_EQ(messages().size(), c.asked ? 1u : 0u) << c.n << " " << c.seconds;
        EXPECT_EQ(parameters.values[2], c.ts) << c.n << " " << c.seconds;
    }
}

TEST_F(Editor, LimitsMustBeStrictlyOrdered) {
    struct Case {
        const char *sunny, *variable, *overcast;
        std::vector<std::string> expected;
    } cases[] = {
        {"1020", "1020", "1000", {sunnyLarger}},
        {"1000", "1010", "1010", {sunnyLarger}}, // no second comparison
        {"1020", "1010", "1010", {variableLarger}},
        {"1020", "1000", "1010", {variableLarger}},
    };
    for (const Case& c : cases) {
        prompts.shown.clear();
        editor.text.sunny = c.sunny;
        editor.text.variable = c.variable;
        editor.text.overcast = c.overcast;
        EXPECT_EQ(ok(), TsettingsEditor::Result::Failed) << c.sunny << c.variable << c.overcast;
        EXPECT_EQ(messages(), c.expected) << c.sunny << c.variable << c.overcast;
    }
    EXPECT_TRUE(parameters.calls.empty());
}

TEST_F(Editor, EveryOrderedSetOfLimitsIsStored) {
    const double cases[][3] = {
        {1030, 1020, 1010}, // all raised
        {1000, 995, 990},   // all lowered
        {1030, 1009, 990},  // widened
        {1012, 1009, 1005}, // narrowed
        {1001, 1000, 999},  // all below the old overcast limit
        {1100, 1090, 1080}, // all above the old sunny limit
        {1016, 1009, 1002}, // unchanged
    };
    for (const auto& c : cases) {
        parameters.values[4] = 1016;
        parameters.values[5] = 1009;
        parameters.values[6] = 1002;
        editor.text.sunny = std::to_string(c[0]);
        editor.text.variable = std::to_string(c[1]);
        editor.text.overcast = std::to_string(c[2]);
        ASSERT_EQ(ok(), TsettingsEditor::Result::Committed) << c[0];
        EXPECT_EQ(parameters.values[4], c[0]);
        EXPECT_EQ(parameters.values[5], c[1]);
        EXPECT_EQ(parameters.values[6], c[2]);
    }
}

TEST_F(Editor, UnreadableFieldsShowTheirMessagesWithoutComparisons) {
    editor.text.n = "x";
    editor.text.sunny = "high";
    editor.text.variable = "900"; // would fail the comparison
    editor.text.overcast = "low";
    editor.text.hysteresis = "0e400";
    editor.text.quickDown = "fast";
    editor.text.slowDown = "slow";
    editor.text.quickUp = "up";
    editor.text.slowUp = "-9"; // would fail the comparison
    EXPECT_EQ(ok(), TsettingsEditor::Result::Failed);
    const std::vector<std::string> expected = {
        nMessage,
        "Error : The \"Sunny\" limit for the meteo must be a number",
        "Error : The \"Overcast\" limit for the meteo must be a number",
        "Error : The \"Hysteresis\" limit for the meteo must be a number",
        "Error : The rate limit for the fast falling trend must be a number",
        "Error : The rate limit for the slow falling trend must be a number",
        "Error : The rate limit for the fast rising trend must be a number",
    };
    EXPECT_EQ(messages(), expected);
    EXPECT_TRUE(parameters.calls.empty());
}

TEST_F(Editor, RatesMustBeOrderedButMayBeEqual) {
    struct Case {
        const char *quickDown, *slowDown, *slowUp, *quickUp, *message;
    } cases[] = {
        {"-0.2", "-0.3", "0.2", "0.9",
         "Error : The variation rate for the slow down trend must be bigger than the one for the "
         "fast down trend"},
        {"-0.9", "0.3", "0.2", "0.9",
         "Error : The variation rate for the slow up trend must be bigger than the one for the "
         "slow down trend"},
        {"-0.9", "-0.2", "0.2", "0.1",
         "Error : The variation rate for fast up trend must be bigger than the one for the slow "
         "up trend"},
    };
    for (const Case& c : cases) {
        prompts.shown.clear();
        editor.text.quickDown = c.quickDown;
        editor.text.slowDown = c.slowDown;
        editor.text.slowUp = c.slowUp;
        editor.text.quickUp = c.quickUp;
        EXPECT_EQ(ok(), TsettingsEditor::Result::Failed);
        EXPECT_EQ(messages(), std::vector<std::string>{c.message});
    }
    for (std::string* rate :
         {&editor.text.quickDown, &editor.text.slowDown, &editor.text.slowUp, &editor.text.quickUp})
        *rate = "0.5";
    EXPECT_EQ(ok(), TsettingsEditor::Result::Committed);
    EXPECT_EQ(parameters.values[9], 0.5);
    EXPECT_EQ(parameters.values[11], 0.5);
}

TEST_F(Editor, ComparisonsAreSkippedOnceAnEarlierGroupFailed) {
    editor.text.quickDown = "-0.2"; // above the slow-down rate: would fail its comparison
    editor.text.slowDown = "-0.3";
    editor.text.sunny = "1000"; // below the variable limit
    EXPECT_EQ(ok(), TsettingsEditor::Result::Failed);
    EXPECT_EQ(messages(), std::vector<std::string>{sunnyLarger});
    prompts.shown.clear();
    editor.text.n = "0"; // the limits are still out of order
    EXPECT_EQ(ok(), TsettingsEditor::Result::Failed);
    EXPECT_EQ(messages(), std::vector<std::string>{nMessage});
}

TEST_F(Editor, WithoutMainWindowTheChecksRunAndNothingIsCommitted) {
    EXPECT_EQ(editor.ok(nullptr, &prompts), TsettingsEditor::Result::NoMainWindow);
    editor.text.n = "0";
    EXPECT_EQ(editor.ok(nullptr, &prompts), TsettingsEditor::Result::Failed);
    EXPECT_EQ(messages(), std::vector<std::string>{nMessage});
}
