#pragma once

#include "emulator/Qx4180Model.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

// What the emulated module measures.
struct TmoduleConditions {
    double pressure = 1013.25;  // [mbar]
    double temperature = 20.0;  // [°C], QX4180
    double humidity = 50.0;     // [% RH]
    double humidityTemp = 20.0; // [°C], SHT15
    bool humiditySensor = true; // without the SHT15 both humidity words read 0
};

// Ways the module misbehaves.
enum class TmoduleFault {
    None,
    Silent,       // answers nothing
    AckSecondTry, // ignores every first A and answers its repetition
    BadChecksum,  // every reply carries a wrong checksum
    WrongReply,   // answers each command with the reply of the next one (A->b, ..., D->a)
    EscapedData,  // replies carry EscapeWords, whose bytes all need escaping on the wire
    Garbage,      // line noise before every reply: bytes outside any frame (never a '$')
    EverySecond,  // answers only every second command (the second, fourth, ...)
};

// Time the module works on a command before its reply starts, in microseconds: the QX4180's
// D1 and D2 conversions for C, the SHT15's humidity and temperature readings for D.
struct TmoduleTiming {
    std::uint32_t commandC = 0;
    std::uint32_t commandD = 0;
};

// The controller of the serial module: it rebuilds command frames from the bytes the PC sends
// ('$', payload with '~' escapes, '!'; a payload is valid when its bytes add up to 0xFF) and
// answers A to D from a QX4180 and an SHT15 model. Thread-safe: the conditions and the fault
// may change while another thread feeds bytes.
class TserialModule {
public:
    // Words that the EscapedData fault sends in place of every measured or calibration word.
    static constexpr std::uint16_t EscapeWords[4] = {0x2124, 0x7E21, 0x247E, 0x7E7E};
    static constexpr std::size_t MaxPayload = 64;

    explicit TserialModule(const Tqx4180Model& sensor = Tqx4180Model{});

    // Feeds bytes from the PC; the bytes of any replies are appended to `reply`.
    void receive(const std::uint8_t* data, std::size_t count, std::vector<std::uint8_t>& reply);

    void setConditions(const TmoduleConditions& conditions);
    TmoduleConditions conditions() const;
    // A new fault starts its own count of commands (AckSecondTry, EverySecond).
    void setFault(TmoduleFault fault);
    TmoduleFault currentFault() const;
    void setTiming(const TmoduleTiming& timing);
    // The working time of the commands handled since the last call, in microseconds.
    std::uint32_t takeWorkUs();
    // Valid commands received so far (answered or not).
    int commandsReceived() const;
    const Tqx4180Model& sensor() const { return qx; }

    // The frame around a payload (letter and data; the checksum is added here).
    static std::vector<std::uint8_t> frameFor(const std::vector<std::uint8_t>& payload,
                                              bool badChecksum = false);

private:
    void handleByte(std::uint8_t byte, std::vector<std::uint8_t>& reply);
    void handleCommand(std::vector<std::uint8_t>& reply);
    std::vector<std::uint8_t> replyPayload(std::uint8_t command) const;
    bool answers(std::uint8_t command);
    void addGarbage(std::vector<std::uint8_t>& reply);

    const Tqx4180Model qx;
    mutable std::mutex mutex;
    TmoduleConditions now;
    TmoduleFault fault = TmoduleFault::None;
    int acksSeen = 0;
    int commandsSinceFault = 0;
    int commands = 0;
    TmoduleTiming timing;
    std::uint32_t workUs = 0;
    std::uint32_t noise = 1; // state of the garbage generator
    std::vector<std::uint8_t> payload;
    bool inFrame = false;
    bool escaped = false;
};
