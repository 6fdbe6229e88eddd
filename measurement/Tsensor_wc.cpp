#include "measurement/Tsensor_wc.h"

namespace {
std::int32_t bits(std::int32_t word, int high, int low) {
    return (word >> low) & ((1 << (high - low + 1)) - 1);
}
} // namespace

void Tsensor_wc::computeC() {
    const std::int32_t w1 = W1 & 0xFFFF, w2 = W2 & 0xFFFF, w3 = W3 & 0xFFFF, w4 = W4 & 0xFFFF;
    C1 = bits(w1, 15, 1);
    C2 = (bits(w3, 5, 0) << 6) | bits(w4, 5, 0);
    C3 = bits(w4, 15, 6);
    C4 = bits(w3, 15, 6);
    C5 = (bits(w1, 0, 0) << 10) | bits(w2, 15, 6);
    C6 = bits(w2, 5, 0);
}

void Tsensor_wc::computeW() {
    const std::int32_t c1 = C1 & 0x7FFF, c2 = C2 & 0xFFF, c3 = C3 & 0x3FF, c4 = C4 & 0x3FF,
                       c5 = C5 & 0x7FF, c6 = C6 & 0x3F;
    W1 = ((c1 << 1) | (c5 >> 10)) & 0xFFFF;
    W2 = (((c5 & 0x3FF) << 6) | c6) & 0xFFFF;
    W3 = ((c4 << 6) | (c2 >> 6)) & 0xFFFF;
    W4 = ((c3 << 6) | (c2 & 0x3F)) & 0xFFFF;
}

void Tsensor_wc::copyTo(Tsensor_wc* other) const {
    if (other) *other = *this;
}

Tcompensated compensate(const double coef[6], std::uint16_t D1, std::uint16_t D2) {
    const double C1 = coef[0], C2 = coef[1], C3 = coef[2], C4 = coef[3], C5 = coef[4], C6 = coef[5];
    const double UT1 = 8 * C5 + 20224;
    double dT;
    double temperature;
    if (D2 >= UT1) {
        dT = D2 - UT1;
        temperature = 20 + dT * (C6 + 50) / 10240;
    } else {
        const double t = D2 - UT1;
        dT = t - t * t / 65536;
        temperature = 20 + dT * (C6 + 50) / 10240 + dT / 2560;
    }
    const double OFF = 4 * C2 + (C4 - 512) * dT / 4096;
    const double SENS = 24576 + C1 + C3 * dT / 1024;
    const double X = (D1 - 7168) * SENS / 16384 - OFF;
    return {X / 32 + 250, temperature};
}

Thumidity convertHumidity(std::uint16_t SO_RH, std::uint16_t SO_T) {
    if (SO_RH == 0 || SO_RH == 0xFFFF || SO_T == 0 || SO_T == 0xFFFF) return {0, 0};
    const float rh = SO_RH;
    const float ts = 0.01f * static_cast<float>(SO_T) - 40;
    const float rhLin = -2.8e-6f * rh * rh + 0.0405f * rh - 4;
    // The clamps apply to the stored double, so the limits come out as exactly 100 and 0.1.
    double value = (0.00008f * rh + 0.01f) * (ts - 25) + rhLin;
    if (value > 100) value = 100;
    if (value < 0.1) value = 0.1;
    return {value, ts};
}
