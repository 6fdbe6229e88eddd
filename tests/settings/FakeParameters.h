#pragma once

#include "measurement/ParameterAccess.h"
#include "measurement/Tsensor_wc.h"

#include <map>
#include <utility>
#include <vector>

// Parameter access as the main window gives it, with the weather model's rule for the three
// limits: a limit that would break sunny > variable > overcast is dropped without a word.
class FakeParameters : public TparameterAccess {
public:
    double getParameter(int code) override {
        const auto found = values.find(code);
        return found == values.end() ? 0.0 : found->second;
    }

    void setParameter(int code, double value) override {
        calls.emplace_back(code, value);
        const double sunny = values[4], variable = values[5], overcast = values[6];
        if (code == 4 && !(value > variable && value > overcast)) return;
        if (code == 5 && !(value > overcast && value < sunny)) return;
        if (code == 6 && !(value < variable && value < sunny)) return;
        values[code] = value;
    }

    void getCalibration(Tsensor_wc* out) override { calibration.copyTo(out); }

    void setCalibration(const Tsensor_wc* in) override {
        if (in) calibration = *in;
        ++calibrationsSet;
    }

    std::map<int, double> values = {{1, 1},      {2, 1},    {3, 0},    {4, 1016},
                                    {5, 1009},   {6, 1002}, {7, 0.5},  {9, -0.9},
                                    {10, -0.23}, {11, 0.9}, {12, 0.23}};
    std::vector<std::pair<int, double>> calls;
    Tsensor_wc calibration;
    int calibrationsSet = 0;
};
