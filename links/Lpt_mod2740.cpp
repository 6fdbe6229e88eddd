#include "links/Lpt_mod2740.h"

#include "core/Tdebug.h"
#include "links/PortIO.h"

namespace {

// Command byte and tail of each calibration word frame, both sent least significant bit first.
struct WordFrame {
    std::uint32_t command;
    std::uint32_t tail;
};
constexpr WordFrame WordFrames[4] = {{0x57, 0x01}, {0xD7, 0x00}, {0x37, 0x01}, {0xB7, 0x00}};
constexpr std::uint32_t ConvertPressure = 0x2F;
constexpr std::uint32_t ConvertTemperature = 0x4F;
constexpr std::uint8_t PowerLines = 0xFC;
constexpr std::uint8_t DoutBit = 0x20;

} // namespace

Tlpt_mod2740::Tlpt_mod2740(TportIO* portIo)
    : io(portIo ? portIo : portIO()), delay(std::make_unique<Tdelay_resource>()) {
    delay->reserve(this, false);
}

Tlpt_mod2740::~Tlpt_mod2740() {
    io->write(LPT1_DATA, 0x00);
}

void Tlpt_mod2740::accept(std::int32_t startCode) {
    startPending = true;
    postNotification(this, startCode);
}

void Tlpt_mod2740::start_resetDevice() {
    if (busy()) {
        debugPrint("ERROR Tlpt_mod2740:: start_resetDevice() failed !");
        return;
    }
    debugPrint("Tlpt_mod2740:: start_resetDevice()");
    accept(StartReset);
}

void Tlpt_mod2740::start_getW(std::uint16_t* w) {
    if (busy()) {
        debugPrint("ERROR Tlpt_mod2740:: start_getW() failed !");
        return;
    }
    pW = w;
    debugPrint("Tlpt_mod2740:: start_getW()");
    accept(StartW);
}

void Tlpt_mod2740::start_getD1D2(std::uint16_t* d1, std::uint16_t* d2) {
    if (busy()) {
        debugPrint("ERROR Tlpt_mod2740:: start_getD1D2() failed !");
        return;
    }
    pD1 = d1;
    pD2 = d2;
    accept(StartD1D2);
}

void Tlpt_mod2740::OnNotification(TeventResource* sender, std::int32_t code) {
    dispatch(sender, code);
}

void Tlpt_mod2740::runStep() {
    TeventResource* timer = delay.get();
    switch (step) {
    case 0:
        if (transitionOn(this, StartReset, 100) || transitionOn(this, StartW, 200) ||
            transitionOn(this, StartD1D2, 300))
            startPending = false;
        break;
    case 100:
        if (entered) resetDevice();
        transitionOn(this, StepDone, 1000);
        break;
    case 200:
        if (entered) readCalibration();
        transitionOn(this, StepDone, 220);
        transitionOn(this, StepFailed, 1002);
        break;
    case 220:
    case 300:
        if (entered) startConversion(D1, ConversionWaitMs);
        transitionOn(timer, SEQUENCE_SUCCESS, step + 10);
        transitionOn(this, StepFailed, 1002);
        break;
    case 230:
    case 310:
        if (entered) readConversion(D1);
        transitionOn(this, StepDone, step == 230 ? 1000 : 320);
        transitionOn(this, StepFailed, 1002);
        break;
    case 320:
        if (entered) startConversion(D2, ConversionWaitMs);
        transitionOn(timer, SEQUENCE_SUCCESS, 330);
        transitionOn(this, StepFailed, 1002);
        break;
    case 330:
        if (entered) readConversion(D2);
        transitionOn(this, StepDone, 1000);
        transitionOn(this, StepFailed, 1002);
        break;
    default: break;
    }
}

void Tlpt_mod2740::writeLines(int sclk, int din, int power) {
    const auto value =
        static_cast<std::uint8_t>((power ? PowerLines : 0) | (din & 1) << 1 | (sclk & 1));
    io->write(LPT1_DATA, value);
}

bool Tlpt_mod2740::getDout() {
    return (io->read(LPT1_STATUS) & DoutBit) != 0;
}

void Tlpt_mod2740::sendBits(std::uint32_t value, int count) {
    writeLines(0, 0, 1);
    for (int i = 0; i < count; ++i) {
        const int bit = static_cast<int>(value >> i) & 1;
        writeLines(0, bit, 1);
        writeLines(1, bit, 1);
    }
}

std::uint16_t Tlpt_mod2740::readWord() {
    std::uint16_t result = 0;
    writeLines(0, 0, 1);
    for (int i = 0; i < 16; ++i) {
        writeLines(1, 0, 1);
        result = static_cast<std::uint16_t>(result << 1 | (getDout() ? 1 : 0));
        writeLines(0, 0, 1);
    }
    return result;
}

void Tlpt_mod2740::resetDevice() {
    sendBits(0x55, 8);
    sendBits(0x55, 8);
    sendBits(0, 5);
    postNotification(this, StepDone);
}

void Tlpt_mod2740::readCalibration() {
    if (!pW) {
        postNotification(this, StepFailed);
        return;
    }
    for (int i = 0; i < 4; ++i) {
        sendBits(WordFrames[i].command, 8);
        sendBits(WordFrames[i].tail, 5);
        pW[i + 1] = readWord();
    }
    postNotification(this, StepDone);
}

void Tlpt_mod2740::startConversion(Conversion which, std::int32_t ms) {
    sendBits(which == D1 ? ConvertPressure : ConvertTemperature, 8);
    sendBits(0, 3);
    if (!getDout()) {
        postNotification(this, StepFailed);
        return;
    }
    sendBits(0, 1);
    writeLines(0, 0, 1);
    delay->setDelay(ms);
}

void Tlpt_mod2740::readConversion(Conversion which) {
    if (getDout()) {
        postNotification(this, StepFailed);
        return;
    }
    const std::uint16_t value = readWord();
    std::uint16_t* target = which == D1 ? pD1 : pD2;
    if (target) *target = value;
    postNotification(this, StepDone);
}
