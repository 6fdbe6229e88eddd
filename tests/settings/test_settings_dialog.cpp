#include "settings/FakeParameters.h"
#include "support/ScriptedPrompts.h"

#include "core/Globals.h"
#include "core/Prompts.h"
#include "measurement/Tsensor.h"
#include "settings/Tsettings.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Dialog : public testing::Test {
protected:
    void SetUp() override {
        theSystem.parameters = &parameters;
        theSystem.prompts = &prompts;
        reopen();
    }

    void reopen() {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }

    void TearDown() override {
        dialog.hide();
        theSystem.parameters = nullptr;
        theSystem.prompts = nullptr;
    }

    template <class T = QLineEdit> T* control(const char* name) {
        T* found = dialog.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QString text(const char* name) { return control<QLineEdit>(name)->text(); }
    QString caption(const char* name) { return control<QLabel>(name)->text(); }

    // Opens the tab of the field, focuses it, and replaces its text key by key.
    void type(const char* name, const QString& keys) {
        QLineEdit* field = control(name);
        auto* pages = control<QTabWidget>("PageControl1");
        for (int i = 0; i < pages->count(); ++i)
            if (pages->widget(i)->isAncestorOf(field)) pages->setCurrentIndex(i);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, keys);
    }

    // Types into a field and leaves it with Tab.
    void enter(const char* name, const QString& keys) {
        type(name, keys);
        QTest::keyClick(control(name), Qt::Key_Tab);
    }

    void setTs(const QString& d, const QString& h, const QString& m, const QString& s) {
        enter("ed_tsd", d);
        enter("ed_tsh", h);
        enter("ed_tsm", m);
        enter("ed_tss", s);
    }

    void clickOk() { QTest::mouseClick(control<QPushButton>("bt_ok"), Qt::LeftButton); }

    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (const auto& shown : prompts.shown)
            texts.push_back(shown.text);
        return texts;
    }

    void expectOpenWithNothingCommitted() {
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(parameters.calls.empty());
        EXPECT_EQ(parameters.calibrationsSet, 0);
    }

    FakeParameters parameters;
    TscriptedPrompts prompts;
    TWsettings dialog;
};

} // namespace

TEST_F(Dialog, OpensOnTheAltitudeTabFilledWithTheCurrentValues) {
    EXPECT_EQ(dialog.windowTitle(), "Wsettings");
    EXPECT_EQ(dialog.size(), QSize(495, 533));
    auto* pages = control<QTabWidget>("PageControl1");
    QStringList tabs;
    for (int i = 0; i < pages->count(); ++i)
        tabs << pages->tabText(i);
    EXPECT_EQ(tabs, QStringList({"Measurements", "Altitude Configuration", "Sensor coefficients",
                                 "Weather Situation", "Weather forecast"}));
    EXPECT_EQ(pages->currentIndex(), 1);
    EXPECT_FALSE(control<QPushButton>("bt_help")->isVisible());
    EXPECT_EQ(control<QPushButton>("Button1")->text(), "Restore from sensor");
    EXPECT_EQ(text("ed_alti"), "0.0");
    EXPECT_EQ(text("ed_n"), "1");
    EXPECT_EQ(text("ed_tss"), "1");
    EXPECT_EQ(text("ed_sunny"), "1016.0");
    EXPECT_EQ(text("ed_quick_down"), "-0.900");
    EXPECT_EQ(caption("lb_c6"), "0x0");
    EXPECT_EQ(control("ed_alti")->maxLength(), 9);
}

TEST_F(Dialog, WeatherTabShowsAPictureBetweenEachPairOfLimitsTrendPicturesStayHidden) {
    auto* pages = control<QTabWidget>("PageControl1");
    pages->setCurrentIndex(3);
    const char* const pictures[] = {"img_sunny", "img_variable", "img_couvert", "img_rainy"};
    const char* const limits[] = {"ed_sunny", "ed_variable", "ed_overcast"};
    int above = 0; // bottom edge of the limit field above the picture
    for (int i = 0; i < 4; ++i) {
        auto* picture = control<QLabel>(pictures[i]);
        ASSERT_NE(picture, nullptr);
        EXPECT_TRUE(picture->isVisible()) << pictures[i];
        EXPECT_FALSE(picture->pixmap().isNull()) << pictures[i];
        EXPECT_GT(picture->y(), above) << pictures[i];
        if (i == 3) break;
        const QRect field = control(limits[i])->geometry();
        EXPECT_LT(picture->geometry().bottom(), field.top()) << pictures[i];
        above = field.bottom();
    }
    pages->setCurrentIndex(4);
    for (const char* name : {"img_slow_up", "img_quick_up", "img_slow_down", "img_quick_down"})
        EXPECT_TRUE(control<QLabel>(name)->isHidden()) << name;
}

TEST_F(Dialog, AltitudeInMetresIsLimitedAndShownInFeet) {
    type("ed_alti", "10000");
    EXPECT_EQ(text("ed_alti"), "9166");
    EXPECT_EQ(text("ed_altifeet"), "30064.5");
    type("ed_altifeet", "100");
    EXPECT_EQ(text("ed_alti"), "30.5");
    EXPECT_EQ(text("ed_altifeet"), "100");
}

TEST_F(Dialog, TypedWIsShownAsC) {
    type("ed_w1", "65535");
    EXPECT_EQ(text("ed_c1"), "32767");
    EXPECT_EQ(caption("lb_c1"), "0x7fff");
    EXPECT_EQ(text("ed_c5"), "1024");
    EXPECT_EQ(caption("lb_c5"), "0x400");
    for (const char* name : {"ed_c2", "ed_c3", "ed_c4", "ed_c6"})
        EXPECT_EQ(text(name), "0") << name;
    EXPECT_EQ(caption("lb_w1"), "0xffff");
    type("ed_c1", "1");
    EXPECT_EQ(text("ed_w1"), "3");
    EXPECT_EQ(text("ed_c1"), "1");
}

TEST_F(Dialog, RestoreFromSensorShowsTheModuleCalibration) {
    Tsensor sensor;
    sensor.calModule.W1 = 0xFFFF;
    theSystem.sensor = &sensor;
    QTest::mouseClick(control<QPushButton>("Button1"), Qt::LeftButton);
    theSystem.sensor = nullptr;
    EXPECT_EQ(text("ed_w1"), "65535");
    EXPECT_EQ(text("ed_c5"), "1024");
    EXPECT_EQ(caption("lb_c1"), "0x7fff");
}

TEST_F(Dialog, UnreadableTsPartIsRestoredWhenLeft) {
    enter("ed_tsh", "30");
    enter("ed_tsm", "abc");
    EXPECT_EQ(text("ed_tsh"), "30");
    EXPECT_EQ(text("ed_tsm"), "0");
}

TEST_F(Dialog, NineSamplesAtOneSecondAskAndYesCommitsTwoSeconds) {
    type("ed_n", "9");
    prompts.answers = {TpromptAnswer::No};
    clickOk();
    ASSERT_EQ(messages(), std::vector<std::string>{"Error : For more than 8 samples, the sampling "
                                                   "time (ts) must be at least 2 seconds.\n "
                                                   "Correct ts to 2 seconds ?"});
    expectOpenWithNothingCommitted();

    prompts.answers = {TpromptAnswer::Yes};
    clickOk();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(parameters.values[1], 9);
    EXPECT_EQ(parameters.values[2], 2);
    EXPECT_EQ(parameters.calibrationsSet, 1);
}

TEST_F(Dialog, BadSamplingValuesAreRefused) {
    for (const char* n : {"0", "2.5", "abc"}) {
        prompts.shown.clear();
        type("ed_n", n);
        clickOk();
        EXPECT_EQ(messages(),
                  std::vector<std::string>{"Error : The n value must be an integer, larger than 0"})
            << n;
    }
    type("ed_n", "1");
    setTs("0", "0", "0", "0");
    prompts.shown.clear();
    clickOk();
    EXPECT_EQ(messages(),
              std::vector<std::string>{"Error : The ts value must be an integer, larger than 0"});
    expectOpenWithNothingCommitted();
}

TEST_F(Dialog, EqualOrMisorderedLimitsGiveTheSunnyMessageOnly) {
    const std::string sunny =
        "Error : The \"Sunny\" limit for the meteo must be larger than the \"Variable\" one";
    type("ed_sunny", "1020");
    type("ed_variable", "1020");
    type("ed_overcast", "1000");
    clickOk();
    EXPECT_EQ(messages(), std::vector<std::string>{sunny});
    prompts.shown.clear();
    type("ed_sunny", "1000");
    type("ed_variable", "1010");
    type("ed_overcast", "1010");
    clickOk();
    EXPECT_EQ(messages(), std::vector<std::string>{sunny});
    expectOpenWithNothingCommitted();
}

TEST_F(Dialog, RaisedOrLoweredLimitsAreAllStored) {
    const char* sets[][3] = {{"1030", "1020", "1010"}, {"1000", "995", "990"}};
    for (const auto& limits : sets) {
        parameters.values[4] = 1016;
        parameters.values[5] = 1009;
        parameters.values[6] = 1002;
        reopen();
        type("ed_sunny", limits[0]);
        type("ed_variable", limits[1]);
        type("ed_overcast", limits[2]);
        clickOk();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(prompts.shown.empty());
        EXPECT_EQ(parameters.values[4], std::stod(limits[0]));
        EXPECT_EQ(parameters.values[5], std::stod(limits[1]));
        EXPECT_EQ(parameters.values[6], std::stod(limits[2]));
    }
}

TEST_F(Dialog, BadSunnyLimitAndBadRateGiveBothMessagesAndNoComparison) {
    type("ed_sunny", "sun");
    type("ed_variable", "2000");
    type("ed_quick_down", "q");
    type("ed_slow_up", "-5");
    clickOk();
    EXPECT_EQ(messages(),
              (std::vector<std::string>{
                  "Error : The \"Sunny\" limit for the meteo must be a number",
                  "Error : The rate limit for the fast falling trend must be a number"}));
    expectOpenWithNothingCommitted();
}

TEST_F(Dialog, EscapeCommitsNothingAndTheNextShowingRereads) {
    type("ed_n", "5");
    type("ed_alti", "200");
    QTest::keyClick(control("ed_alti"), Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(parameters.calls.empty());
    reopen();
    EXPECT_EQ(text("ed_n"), "1");
    EXPECT_EQ(text("ed_alti"), "0.0");
}

TEST_F(Dialog, CancelCommitsNothing) {
    type("ed_n", "5");
    QTest::mouseClick(control<QPushButton>("bt_cancel"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(parameters.calls.empty());
}

// Every tab caption keeps a margin to its tab's borders, and all five tabs stay in view.
TEST_F(Dialog, TabCaptionsKeepAMarginAndAllTabsFit) {
    auto* pages = control<QTabWidget>("PageControl1");
    QTabBar* bar = pages->tabBar();
    const QFontMetrics metrics(bar->font());
    for (int i = 0; i < bar->count(); ++i) {
        const int room = bar->tabRect(i).width() - metrics.horizontalAdvance(bar->tabText(i));
        EXPECT_GE(room, 12) << bar->tabText(i).toStdString();
    }
    EXPECT_LE(bar->tabRect(bar->count() - 1).right(), pages->width());
}
