#include "charts/Plot_time.h"
#include "charts/Tchart.h"
#include "charts/Tchart_settings.h"
#include "core/Globals.h"
#include "core/Prompts.h"
#include "support/ScriptedPrompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class RangeDialog : public ::testing::Test {
protected:
    void SetUp() override {
        theSystem.prompts = &prompts;
        chart.ResetCharts();
        chart.NewSample(1, 2, 20, 1000, 100, 40, 21);
        chart.NewSample(1, 2, 25, 1010, 20, 50, 23);
    }
    void TearDown() override { theSystem.prompts = nullptr; }

    QLineEdit* field(TrangeField which) { return range->field(which); }
    QCheckBox* box(const char* name) { return range->findChild<QCheckBox*>(name); }
    Tplot_time* plot(TchartPlot which) { return chart.plot(which); }
    // Fills the fields from the plots as "Setup display range" does, without the modal loop.
    void openWith(std::function<void()> whileOpen) {
        QTimer::singleShot(0, range, whileOpen);
        chart.Setupdisplayrange1Click();
    }
    void press(QWidget* target, int key) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &down);
    }

    TscriptedPrompts prompts;
    TWchart chart;
    TWrange* range = chart.rangeDialog();
};

} // namespace

TEST_F(RangeDialog, OpensWithTheCurrentRangesAndCancelAppliesNothingButRefreshes) {
    auto* label = chart.findChild<QLabel*>("lb_th100");
    label->setText("stale");
    openWith([this] {
        EXPECT_TRUE(range->isVisible());
        EXPECT_EQ(field(ed_ph)->text(), "1010.0");
        EXPECT_EQ(field(ed_pl)->text(), "1000.0");
        EXPECT_EQ(field(ed_ah)->text(), "100.0");
        EXPECT_EQ(field(ed_thl)->text(), "21.0");
        EXPECT_FALSE(field(ed_ph)->isEnabled()); // auto scale
        box("PAutoScaleBox")->click();
        EXPECT_TRUE(field(ed_ph)->isEnabled());
        field(ed_ph)->setText("2000");
        range->findChild<QPushButton*>("bt_cancel")->click();
    });
    EXPECT_EQ(range->result(), QDialog::Rejected);
    EXPECT_TRUE(plot(TchartPlot::pressure)->model().AutoScaleYOn());
    EXPECT_EQ(plot(TchartPlot::pressure)->GetRangeYHigh(), 1010.0);
    EXPECT_EQ(label->text(), "25.00"); // the chart window was refreshed all the same
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(RangeDialog, UncheckedBoxFreezesTheRangeShownWithOneDecimal) {
    chart.NewSample(1, 2, 20, 1004.46, 100, 40, 21);
    openWith([this] {
        box("TAutoScaleBox")->click();
        field(ed_th)->setText(" 3 0 ");
        range->findChild<QPushButton*>("bt_ok")->click();
    });
    EXPECT_EQ(range->result(), QDialog::Accepted);
    EXPECT_FALSE(plot(TchartPlot::temperature)->model().AutoScaleYOn());
    EXPECT_EQ(plot(TchartPlot::temperature)->GetRangeYHigh(), 30.0); // blanks are skipped
    EXPECT_EQ(plot(TchartPlot::temperature)->GetRangeYLow(), 20.0);
    EXPECT_TRUE(plot(TchartPlot::pressure)->model().AutoScaleYOn());
    EXPECT_EQ(chart.findChild<QLabel*>("lb_th100")->text(), "30.00");
}

TEST_F(RangeDialog, DecimalCommaFailsAndNothingIsApplied) {
    range->SetPAutoScale(false);
    range->SetAAutoScale(false);
    field(ed_ph)->setText("1020");
    field(ed_pl)->setText("990");
    field(ed_ah)->setText("1,5");
    field(ed_al)->setText("0");
    range->bt_okClick();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              "Error : The value for the altitude high range must be a number");
    EXPECT_TRUE(plot(TchartPlot::pressure)->model().AutoScaleYOn()); // not even the good one
    EXPECT_EQ(plot(TchartPlot::pressure)->GetRangeYHigh(), 1010.0);
}

TEST_F(RangeDialog, DisabledFieldWithTextStillBlocksOk) {
    for (TrangeField f : {ed_ph, ed_pl, ed_ah, ed_al, ed_th, ed_tl, ed_hh, ed_hl, ed_thh, ed_thl})
        field(f)->setText("1");
    field(ed_hl)->setText("low");
    EXPECT_FALSE(field(ed_hl)->isEnabled());
    range->bt_okClick();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              "Error : The value for the humidity low range must be a number");
    EXPECT_EQ(prompts.shown[0].icon, TpromptIcon::Error);
}

TEST_F(RangeDialog, EqualBoundsPassAndEnterActsAsOk) {
    for (TrangeField f : {ed_ph, ed_pl, ed_ah, ed_al, ed_th, ed_tl, ed_hh, ed_hl, ed_thh, ed_thl})
        field(f)->setText("0");
    range->SetHAutoScale(false);
    field(ed_hh)->setText("55.5");
    field(ed_hl)->setText("55.5");
    press(field(ed_hh), Qt::Key_Return);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_FALSE(plot(TchartPlot::humidity)->model().AutoScaleYOn());
    EXPECT_EQ(plot(TchartPlot::humidity)->GetRangeYLow(), 55.5);
    EXPECT_EQ(plot(TchartPlot::humidity)->GetRangeYHigh(), 55.5);

    field(ed_hh)->setText("50");
    press(field(ed_thl), Qt::Key_Enter);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              "Error : The high humidity range must be bigger than the low limit");
    press(field(ed_thl), Qt::Key_A); // other keys are typing
    EXPECT_EQ(prompts.shown.size(), 1u);
}

TEST_F(RangeDialog, TitleBarCloseAppliesNothing) {
    openWith([this] {
        box("PAutoScaleBox")->click();
        field(ed_ph)->setText("5000");
        range->close();
    });
    EXPECT_EQ(range->result(), QDialog::Rejected);
    EXPECT_TRUE(plot(TchartPlot::pressure)->model().AutoScaleYOn());
    EXPECT_EQ(range->windowTitle(), "Chart settings");
}
