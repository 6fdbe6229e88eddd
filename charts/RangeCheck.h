#pragma once

#include "charts/ChartTexts.h"

#include <array>
#include <string>
#include <vector>

// The ten range fields of the chart settings dialog, in the order they are read.
enum TrangeField { ed_ph, ed_pl, ed_ah, ed_al, ed_th, ed_tl, ed_hh, ed_hl, ed_thh, ed_thl };
constexpr int RangeFieldCount = 10;

struct TrangeCheck {
    // The number read from each field; for a field that fails, the part before the failure.
    std::array<double, RangeFieldCount> values{};
    // One message per failing field, then one per reversed pair, in the order to show them.
    std::vector<std::string> errors;
    bool passed() const { return errors.empty(); }
};

// Reads every field (enabled or not) and checks every high/low pair; equal bounds pass.
TrangeCheck checkRangeFields(const std::array<std::string, RangeFieldCount>& fields);

// One plot's vertical range as the chart settings dialog leaves it: auto scale, or the manual
// bounds read from its two fields.
struct TplotRange {
    TchartPlot plot = TchartPlot::pressure;
    bool autoScale = true;
    double high = 0.0;
    double low = 0.0;
};
// Pressure, altitude, temperature, humidity, humidity-sensor temperature.
using TplotRanges = std::array<TplotRange, 5>;
