#pragma once

#include "core/Sequence.h"

#include <cstdint>
#include <memory>

class TportIO;

// Driver of the pressure-sensor module on LPT1. The sensor's serial interface hangs on the data
// register (bit 0 SCLK, bit 1 DIN, bits 2..7 supply) and DOUT on status bit 5; every clock edge
// is one port write. Three jobs, each ending with one report to the owner: reset the sensor,
// read the calibration words W1..W4 (followed by one D1 conversion), and convert D1 then D2.
class Tlpt_mod2740 : public Tsequence {
public:
    static constexpr std::int32_t ConversionWaitMs = 50;

    // Uses `io`, or portIO() when null. Nothing is written to the port here.
    explicit Tlpt_mod2740(TportIO* io = nullptr);
    // Switches the module off (0x00 on the data register).
    ~Tlpt_mod2740() override;

    // Each start is refused while a job runs or is about to run: an "ERROR" log line, and no
    // report to the owner for it.
    void start_resetDevice();
    // W1..W4 go to w[1]..w[4]; the trailing D1 goes through the last pointer of start_getD1D2.
    void start_getW(std::uint16_t* w);
    void start_getD1D2(std::uint16_t* d1, std::uint16_t* d2);
    void OnNotification(TeventResource* sender, std::int32_t code) override;

protected:
    const char* logName() const override { return "Tlpt_mod2740"; }
    void runStep() override;

private:
    // Codes the driver posts to itself.
    enum : std::int32_t { StepDone = 1, StepFailed = 2, StartW = 3, StartD1D2 = 4, StartReset = 6 };
    enum Conversion { D1 = 1, D2 = 2 };

    // Busy from the post that accepts a start until the job's report.
    bool busy() const { return step != 0 || startPending; }
    void accept(std::int32_t startCode);
    void writeLines(int sclk, int din, int power);
    bool getDout();
    void sendBits(std::uint32_t value, int count);
    std::uint16_t readWord();
    void resetDevice();
    void readCalibration();
    void startConversion(Conversion which, std::int32_t ms);
    void readConversion(Conversion which);

    TportIO* io;
    std::unique_ptr<Tdelay_resource> delay;
    std::uint16_t* pW = nullptr;
    std::uint16_t* pD1 = nullptr;
    std::uint16_t* pD2 = nullptr;
    bool startPending = false;
};
