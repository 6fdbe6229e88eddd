#pragma once

#include "core/Sequence.h"
#include "links/Lpt_mod2740.h"
#include "links/Sscp.h"
#include "measurement/Tsensor_wc.h"

#include <cstdint>
#include <memory>

// The pressure-sensor module: which link it hangs on, its calibration, and the measurement of N
// conversions (with the humidity on the serial module). Every job ends with one report to the
// owner: SEQUENCE_SUCCESS, or SEQUENCE_ERROR for a failed search or a failed parallel-port reset.
// The windows and the data log read the public results directly.
class Tsensor : public Tsequence {
public:
    static constexpr double Invalid = 9999.9;
    static constexpr double InvalidTemperature = 999.9;

    Tsensor();
    // The parallel-port driver goes first, then the serial protocol with its port.
    ~Tsensor() override;

    // 0 no module, 1 parallel-port module, 2 serial module; shows the text in the main window.
    void setLink(std::int32_t k);
    // "No module", "LPT module", "COM module"; null for another number.
    static const char* linkText(int k);
    // Looks for the module on LPT1, or on the serial port `port` ("COM%d").
    void start_searchLPT();
    void start_searchCOM(const char* port);
    // One measurement; ignored while a job runs.
    void start_measure();
    void setN(double x);
    // At least one second; the main sequence then measures at once.
    void setTS(double x);
    std::int32_t getN() const { return N; }
    std::int32_t getTS() const { return TS; }
    std::uint16_t getD1() const { return D1; }
    std::uint16_t getD2() const { return D2; }
    void getModuleCalibration(Tsensor_wc* out) const;
    void getCalibration(Tsensor_wc* out) const;
    void setCalibration(const Tsensor_wc* in);

    void OnNotification(TeventResource* sender, std::int32_t code) override;

    std::uint16_t D1 = 0;
    std::uint16_t D2 = 0;
    std::uint16_t SO_RH = 0;
    std::uint16_t SO_T = 0;
    Tsensor_wc calModule;
    Tsensor_wc calInUse;
    double coef[6] = {};
    std::int32_t N = 1;
    std::int32_t count = 0;
    double sumP = 0;
    double sumT = 0;
    double nValid = 0;
    std::uint16_t wWords[5] = {};
    std::unique_ptr<Tsscp> sscp;
    std::unique_ptr<Tlpt_mod2740> lpt;
    double pressure = Invalid;
    double temperature = Invalid;
    double humidity = Invalid;
    double humidityTemperature = Invalid;
    std::int32_t TS = 1;
    std::uint8_t link = 0;

protected:
    void runStep() override;

private:
    // Codes the sensor posts to itself.
    enum : std::int32_t {
        StepDone = 3,
        AnotherConversion = 4,
        SearchLPT = 11,
        MeasureCOM = 20,
        MeasureLPT = 21,
        PortGone = 22,
    };
    // What the serial protocol object reports.
    enum : std::int32_t { ReplyStored = 0, NoReply = 2, Connected = 4 };

    void runSearchStep();
    void runMeasureStep();
    void searchStart();
    void searchFailed();
    void searchSucceeded(std::int32_t k);
    void startSerialMeasurement();
    void accumulate();
    void countConversion();
    void readHumidity();
    void refreshCoef();
};
