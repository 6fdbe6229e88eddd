#include "emulator/SerialModule.h"

#include "emulator/Sht15Model.h"

namespace {

constexpr std::uint8_t Start = '$';
constexpr std::uint8_t End = '!';
constexpr std::uint8_t Esc = '~';
constexpr std::uint8_t Flip = 0x40;

void putWord(std::vector<std::uint8_t>& out, std::uint16_t word) {
    out.push_back(static_cast<std::uint8_t>(word >> 8));
    out.push_back(static_cast<std::uint8_t>(word & 0xFF));
}

std::uint8_t sumOf(const std::vector<std::uint8_t>& bytes) {
    unsigned sum = 0;
    for (std::uint8_t b : bytes)
        sum += b;
    return static_cast<std::uint8_t>(sum);
}

} // namespace

TserialModule::TserialModule(const Tqx4180Model& sensor) : qx(sensor) {}

std::vector<std::uint8_t> TserialModule::frameFor(const std::vector<std::uint8_t>& payload,
                                                  bool badChecksum) {
    std::vector<std::uint8_t> body = payload;
    std::uint8_t check = static_cast<std::uint8_t>(0xFF - sumOf(payload));
    if (badChecksum) check ^= 0x01;
    body.push_back(check);
    std::vector<std::uint8_t> frame{Start};
    for (std::uint8_t b : body) {
        if (b == Start || b == End || b == Esc) {
            frame.push_back(Esc);
            frame.push_back(static_cast<std::uint8_t>(b ^ Flip));
        } else {
            frame.push_back(b);
        }
    }
    frame.push_back(End);
    return frame;
}

void TserialModule::receive(const std::uint8_t* data, std::size_t count,
                            std::vector<std::uint8_t>& reply) {
    std::lock_guard lock(mutex);
    for (std::size_t i = 0; i < count; ++i)
        handleByte(data[i], reply);
}

void TserialModule::handleByte(std::uint8_t byte, std::vector<std::uint8_t>& reply) {
    if (byte == Start) {
        payload.clear();
        inFrame = true;
        escaped = false;
    } else if (!inFrame) {
        return;
    } else if (byte == End) {
        inFrame = false;
        handleCommand(reply);
    } else if (escaped) {
        payload.push_back(static_cast<std::uint8_t>(byte ^ Flip));
        escaped = false;
    } else if (byte == Esc) {
        escaped = true;
    } else {
        payload.push_back(byte);
    }
    if (payload.size() > MaxPayload) inFrame = false;
}

// A command is its letter and its checksum; anything else is dropped unanswered.
void TserialModule::handleCommand(std::vector<std::uint8_t>& reply) {
    if (payload.size() != 2 || sumOf(payload) != 0xFF) return;
    const std::uint8_t command = payload[0];
    if (command < 'A' || command > 'D') return;
    ++commands;
    if (command == 'C') workUs += timing.commandC;
    if (command == 'D') workUs += timing.commandD;
    if (!answers(command)) return;
    if (fault == TmoduleFault::Garbage) addGarbage(reply);
    const std::uint8_t answered = fault == TmoduleFault::WrongReply
                                      ? static_cast<std::uint8_t>('A' + (command - 'A' + 1) % 4)
                                      : command;
    const auto frame = frameFor(replyPayload(answered), fault == TmoduleFault::BadChecksum);
    reply.insert(reply.end(), frame.begin(), frame.end());
}

bool TserialModule::answers(std::uint8_t command) {
    ++commandsSinceFault;
    switch (fault) {
    case TmoduleFault::Silent: return false;
    case TmoduleFault::AckSecondTry: return command != 'A' || ++acksSeen % 2 == 0;
    case TmoduleFault::EverySecond: return commandsSinceFault % 2 == 0;
    default: return true;
    }
}

// Three to ten bytes of noise; a '$' would open a frame, so the noise never holds one, but it
// does hold frame ends and escapes, which a receiver outside a frame must ignore.
void TserialModule::addGarbage(std::vector<std::uint8_t>& reply) {
    reply.push_back(End);
    reply.push_back(Esc);
    noise = noise * 1103515245u + 12345u;
    const unsigned extra = 1 + (noise >> 16) % 8;
    for (unsigned i = 0; i < extra; ++i) {
        noise = noise * 1103515245u + 12345u;
        const auto byte = static_cast<std::uint8_t>(noise >> 16);
        reply.push_back(byte == Start ? End : byte);
    }
}

// Replies: "a"; "b" W1..W4; "c" D1, a spare byte, D2; "d" SO_T, a spare byte, SO_RH.
std::vector<std::uint8_t> TserialModule::replyPayload(std::uint8_t command) const {
    const bool escapes = fault == TmoduleFault::EscapedData;
    std::vector<std::uint8_t> out{static_cast<std::uint8_t>(command - 'A' + 'a')};
    switch (command) {
    case 'B':
        for (int i = 1; i <= 4; ++i)
            putWord(out, escapes ? EscapeWords[i - 1] : qx.word(i));
        break;
    case 'C': {
        const Tqx4180Raw raw = qx.rawFor(now.pressure, now.temperature);
        putWord(out, escapes ? EscapeWords[0] : raw.D1);
        out.push_back(0);
        putWord(out, escapes ? EscapeWords[1] : raw.D2);
        break;
    }
    case 'D': {
        Tsht15Raw raw = Tsht15Model::rawFor(now.humidity, now.humidityTemp);
        if (!now.humiditySensor) raw = {0, 0};
        putWord(out, escapes ? EscapeWords[2] : raw.SO_T);
        out.push_back(0);
        putWord(out, escapes ? EscapeWords[3] : raw.SO_RH);
        break;
    }
    default: break;
    }
    return out;
}

void TserialModule::setConditions(const TmoduleConditions& conditions) {
    std::lock_guard lock(mutex);
    now = conditions;
}

TmoduleConditions TserialModule::conditions() const {
    std::lock_guard lock(mutex);
    return now;
}

void TserialModule::setFault(TmoduleFault newFault) {
    std::lock_guard lock(mutex);
    fault = newFault;
    acksSeen = 0;
    commandsSinceFault = 0;
}

TmoduleFault TserialModule::currentFault() const {
    std::lock_guard lock(mutex);
    return fault;
}

void TserialModule::setTiming(const TmoduleTiming& newTiming) {
    std::lock_guard lock(mutex);
    timing = newTiming;
}

std::uint32_t TserialModule::takeWorkUs() {
    std::lock_guard lock(mutex);
    const std::uint32_t work = workUs;
    workUs = 0;
    return work;
}

int TserialModule::commandsReceived() const {
    std::lock_guard lock(mutex);
    return commands;
}
