#include "emulator/LptModuleEmulator.h"

#include <utility>

namespace {

constexpr std::uint8_t SupplyLines = 0xFC;
constexpr std::uint8_t DoutBit = 0x20;
// The reset sequence as the last 21 bits sampled, oldest first.
constexpr std::uint32_t ResetPattern = 0b101010101010101000000;
constexpr std::uint32_t ResetMask = (1u << 21) - 1;
constexpr int StartBits = 3;
constexpr int StopBits = 4;
constexpr int WordCommandLength = 6;       // commands beginning 01
constexpr int ConversionCommandLength = 4; // commands beginning 10

Tqx4180Command decode(std::uint32_t command, int length) {
    if (length == WordCommandLength) {
        switch (command) {
        case 0b010101: return Tqx4180Command::ReadW1;
        case 0b010110: return Tqx4180Command::ReadW2;
        case 0b011001: return Tqx4180Command::ReadW3;
        case 0b011010: return Tqx4180Command::ReadW4;
        default: return Tqx4180Command::Rejected;
        }
    }
    if (command == 0b1010) return Tqx4180Command::ConvertD1;
    if (command == 0b1001) return Tqx4180Command::ConvertD2;
    return Tqx4180Command::Rejected;
}

} // namespace

TlptModuleEmulator::TlptModuleEmulator(Clock nowMs, Tqx4180Model model)
    : now(std::move(nowMs)), sensor(model) {}

void TlptModuleEmulator::setConditions(double p, double t) {
    pressure = p;
    temperature = t;
}

std::uint8_t TlptModuleEmulator::read(std::uint16_t port) {
    if (port == LPT1_DATA) return data;
    if (port != LPT1_STATUS) return 0xFF;
    return OtherStatusBits | (dout() ? DoutBit : 0);
}

void TlptModuleEmulator::write(std::uint16_t port, std::uint8_t value) {
    if (port != LPT1_DATA) return;
    const bool rising = (value & 1) && !(data & 1);
    data = value;
    const bool supplied = (value & SupplyLines) == SupplyLines;
    if (supplied && !power) restart();
    power = supplied;
    if (power && rising) risingEdge(value >> 1 & 1);
}

void TlptModuleEmulator::restart() {
    phase = Phase::Hunting;
    history = 0;
    count = 0;
    doutLevel = false;
}

void TlptModuleEmulator::risingEdge(int din) {
    ++edges;
    if (glitchCountdown > 0 && --glitchCountdown == 0) din ^= 1;
    if (resetSeen(din)) return;
    if (phase == Phase::Converting) finishConversion();
    switch (phase) {
    case Phase::Hunting: hunt(din); break;
    case Phase::Command: collectCommand(din); break;
    case Phase::Stop: checkStop(din); break;
    case Phase::Converting: break; // clocks during a conversion are ignored
    case Phase::Output:
        if (bitsLeft > 0) {
            doutLevel = (word >> --bitsLeft) & 1;
        } else {
            doutLevel = false;
            phase = Phase::Hunting;
            count = 0;
            hunt(din);
        }
        break;
    }
}

// The reset sequence is recognised in any state, even in the middle of a frame.
bool TlptModuleEmulator::resetSeen(int din) {
    history = (history << 1 | static_cast<std::uint32_t>(din)) & ResetMask;
    if (history != ResetPattern) return false;
    restart();
    last = Tqx4180Command::Reset;
    return true;
}

void TlptModuleEmulator::hunt(int din) {
    count = din ? count + 1 : 0;
    if (count < StartBits) return;
    phase = Phase::Command;
    command = 0;
    commandLength = 0;
}

void TlptModuleEmulator::collectCommand(int din) {
    command = command << 1 | static_cast<std::uint32_t>(din);
    ++commandLength;
    if (commandLength < 2) return;
    // The first two bits tell the kind of command, and so its length.
    const std::uint32_t kind = command >> (commandLength - 2);
    if (kind != 0b01 && kind != 0b10) {
        reject();
        return;
    }
    if (commandLength < (kind == 0b01 ? WordCommandLength : ConversionCommandLength)) return;
    phase = Phase::Stop;
    count = 0;
}

void TlptModuleEmulator::checkStop(int din) {
    if (din) {
        reject();
        hunt(din);
        return;
    }
    if (++count == StopBits) execute();
}

void TlptModuleEmulator::execute() {
    last = decode(command, commandLength);
    switch (last) {
    case Tqx4180Command::ReadW1: startOutput(sensor.word(1)); break;
    case Tqx4180Command::ReadW2: startOutput(sensor.word(2)); break;
    case Tqx4180Command::ReadW3: startOutput(sensor.word(3)); break;
    case Tqx4180Command::ReadW4: startOutput(sensor.word(4)); break;
    case Tqx4180Command::ConvertD1:
    case Tqx4180Command::ConvertD2: startConversion(last); break;
    default: reject(); break;
    }
}

void TlptModuleEmulator::reject() {
    last = Tqx4180Command::Rejected;
    phase = Phase::Hunting;
    count = 0;
}

void TlptModuleEmulator::startOutput(std::uint16_t value) {
    phase = Phase::Output;
    word = value;
    bitsLeft = 16;
    doutLevel = false;
}

void TlptModuleEmulator::startConversion(Tqx4180Command which) {
    phase = Phase::Converting;
    converting = which;
    conversionEnd = now() + conversionMs;
    doutLevel = true;
}

void TlptModuleEmulator::finishConversion() {
    if (fault == TlptModuleFault::EndlessConversion || now() < conversionEnd) return;
    const Tqx4180Raw raw = sensor.rawFor(pressure, temperature);
    startOutput(converting == Tqx4180Command::ConvertD1 ? raw.D1 : raw.D2);
}

bool TlptModuleEmulator::dout() {
    if (fault == TlptModuleFault::DoutStuckHigh) return true;
    if (fault == TlptModuleFault::DoutStuckLow || !power) return false;
    if (phase == Phase::Converting) finishConversion();
    return doutLevel;
}
