#include "emulator/Qx4180Model.h"

#include <algorithm>
#include <cmath>

namespace {

std::int32_t field(std::int32_t value, int width) {
    return value & ((1 << width) - 1);
}

std::uint16_t toWord(double value) {
    return static_cast<std::uint16_t>(std::lround(std::clamp(value, 0.0, 65535.0)));
}

} // namespace

Tqx4180Model::Tqx4180Model(const Tqx4180Coefficients& c)
    : coef{field(c.C1, 15), field(c.C2, 12), field(c.C3, 10),
           field(c.C4, 10), field(c.C5, 11), field(c.C6, 6)} {
    // Storage layout of the coefficients in the four words, most significant bit first:
    // W1 = C1[14:0] C5[10]; W2 = C5[9:0] C6[5:0]; W3 = C4[9:0] C2[11:6]; W4 = C3[9:0] C2[5:0].
    words[0] = static_cast<std::uint16_t>(coef.C1 << 1 | coef.C5 >> 10);
    words[1] = static_cast<std::uint16_t>((coef.C5 & 0x3FF) << 6 | coef.C6);
    words[2] = static_cast<std::uint16_t>(coef.C4 << 6 | coef.C2 >> 6);
    words[3] = static_cast<std::uint16_t>(coef.C3 << 6 | (coef.C2 & 0x3F));
}

std::uint16_t Tqx4180Model::word(int index) const {
    return index >= 1 && index <= 4 ? words[static_cast<std::size_t>(index - 1)] : 0;
}

Tqx4180Raw Tqx4180Model::rawFor(double pressure, double temperature) const {
    const double UT1 = 8.0 * coef.C5 + 20224;
    // Temperature: above the 20 °C reference the reading is linear in the offset t = D2 - UT1;
    // below it the sensor bends it to dT = t - t^2/65536 and adds dT/2560, so t is the negative
    // root of t^2 - 65536 t + 65536 dT = 0.
    double t;
    if (temperature >= 20) {
        t = (temperature - 20) * 10240 / (coef.C6 + 50);
    } else {
        const double dT = (temperature - 20) * 10240 / (coef.C6 + 54);
        t = 32768 - std::sqrt(32768.0 * 32768.0 - 65536 * dT);
    }
    const std::uint16_t D2 = toWord(UT1 + t);

    // Pressure: linear in D1 once the offset and sensitivity are fixed by the temperature of the
    // D2 actually sent.
    const double ti = D2 - UT1;
    const double dT = ti >= 0 ? ti : ti - ti * ti / 65536;
    const double OFF = 4.0 * coef.C2 + (coef.C4 - 512) * dT / 4096;
    const double SENS = 24576.0 + coef.C1 + coef.C3 * dT / 1024;
    const double X = (pressure - 250) * 32;
    return {toWord((X + OFF) * 16384 / SENS + 7168), D2};
}
