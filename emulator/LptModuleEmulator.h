#pragma once

#include "emulator/Qx4180Model.h"
#include "links/PortIO.h"

#include <cstdint>
#include <functional>

// Faults the emulated module can show.
enum class TlptModuleFault {
    None,
    DoutStuckHigh,     // no module: the status line reads high whatever is clocked
    DoutStuckLow,      // no module: the status line reads low whatever is clocked
    EndlessConversion, // a conversion starts but never ends: DOUT stays high
};

// What the emulated sensor last made of the bits clocked into it.
enum class Tqx4180Command {
    None,
    Reset,
    ReadW1,
    ReadW2,
    ReadW3,
    ReadW4,
    ConvertD1,
    ConvertD2,
    Rejected
};

// The pressure-sensor module on LPT1, seen through the port registers. The sensor follows the
// supply (data bits 2..7 all high), samples DIN (bit 1) at every rising edge of SCLK (bit 0) and
// decodes its frames from those bits alone: the reset sequence (sixteen alternating bits from 1,
// then five 0), and command frames of three 1 start bits, a command (six bits for a calibration
// word, four for a conversion) and four 0 stop bits. A word or a finished conversion is shifted
// out on DOUT (status bit 5), MSB first, one bit per rising edge; while a conversion runs DOUT is
// high. Time comes from the clock given at construction, in milliseconds.
class TlptModuleEmulator : public TportIO {
public:
    using Clock = std::function<std::int64_t()>;
    static constexpr std::int64_t DefaultConversionMs = 35;
    // The status bits other than DOUT, held at a fixed level.
    static constexpr std::uint8_t OtherStatusBits = 0x98;

    explicit TlptModuleEmulator(Clock nowMs, Tqx4180Model model = Tqx4180Model());

    std::uint8_t read(std::uint16_t port) override;
    void write(std::uint16_t port, std::uint8_t value) override;

    // Pressure [mbar] and temperature [°C] the next conversions measure.
    void setConditions(double pressure, double temperature);
    void setConversionTime(std::int64_t ms) { conversionMs = ms; }
    void setFault(TlptModuleFault f) { fault = f; }
    // Inverts DIN as the sensor samples it at the n-th rising clock edge from now (1: the next).
    void glitchAtEdge(int n) { glitchCountdown = n; }

    const Tqx4180Model& model() const { return sensor; }
    Tqx4180Command lastCommand() const { return last; }
    bool powered() const { return power; }
    std::int64_t risingEdges() const { return edges; }

private:
    enum class Phase { Hunting, Command, Stop, Converting, Output };

    // Back to the state of a freshly powered sensor.
    void restart();
    void risingEdge(int din);
    bool resetSeen(int din);
    void hunt(int din);
    void collectCommand(int din);
    void checkStop(int din);
    void execute();
    // Drops a malformed frame and looks for the next start bits.
    void reject();
    void startOutput(std::uint16_t word);
    void startConversion(Tqx4180Command which);
    void finishConversion();
    bool dout();

    Clock now;
    Tqx4180Model sensor;
    double pressure = 1013.25;
    double temperature = 20;
    std::int64_t conversionMs = DefaultConversionMs;
    TlptModuleFault fault = TlptModuleFault::None;
    int glitchCountdown = 0;

    std::uint8_t data = 0;
    bool power = false;
    Phase phase = Phase::Hunting;
    std::uint32_t history = 0; // the last bits sampled, newest in bit 0
    int count = 0;             // start bits, command bits or stop bits seen in this phase
    std::uint32_t command = 0;
    int commandLength = 0;
    std::uint16_t word = 0;
    int bitsLeft = 0;
    bool doutLevel = false;
    Tqx4180Command converting = Tqx4180Command::None;
    std::int64_t conversionEnd = 0;
    Tqx4180Command last = Tqx4180Command::None;
    std::int64_t edges = 0;
};
