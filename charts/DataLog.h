#pragma once

#include "measurement/Tsensor_wc.h"

#include <functional>
#include <string>

// What the data file header records besides the start time.
struct TlogHeader {
    Tsensor_wc calibration; // the set the compensation uses
    double localAltitude = 0;
    double N = 0;
    double TS = 0;
    double seaLevelOffset = 0;
};

// One finished sample as the main window hands it on.
struct TlogSample {
    int D1 = 0, D2 = 0;
    double temperature = 0, pressure = 0, altitude = 0, humidity = 0, humidityTemperature = 0;
};

// The 31 header lines. 8-bit text (the degree sign is the byte 0xB0), CR LF line ends,
// numbers with "." whatever the locale.
std::string formatLogHeader(const std::string& dateTime, const TlogHeader& header);
// One sample line; the humidity fields only for 0 < humidity < 999.
std::string formatLogSample(const std::string& dateTime, const TlogSample& sample);

// The data file: begun and ended by the chart window's File menu, written once per sample.
// Every line goes to the system in one piece as soon as it is formatted, so a killed program
// leaves whole lines. A line that cannot be written ends logging at once with one error box
// naming the file and the reason, posted so that measuring goes on while it is open; a partly
// written line is cut off again.
class TdataLog {
public:
    // `dateTimeText` gives the user's local date and time of now as 8-bit text.
    explicit TdataLog(std::function<std::string()> dateTimeText);
    ~TdataLog();
    TdataLog(const TdataLog&) = delete;
    TdataLog& operator=(const TdataLog&) = delete;

    // Asks for the file (preset "samples.dat") and, for an existing one, whether to overwrite
    // it; creates it and writes the header. True when logging is on afterwards.
    bool begin();
    // Logs into `path` without a dialog: an existing file is appended to, never truncated, and
    // a new or empty one gets its header with the first line. False (and logging off) when the
    // file cannot be opened; `error` then holds the reason.
    bool beginAppending(const std::string& path, std::string& error);
    void end();
    bool logging() const { return fd >= 0; }
    const std::string& fileName() const { return name; }
    // Writes one line; does nothing when not logging. A file that was cut short from outside
    // (log rotation by copy and truncate) is written on at its new end, and an empty one gets
    // its header again. False when the write failed and logging has ended.
    bool write(const TlogSample& sample);

private:
    TlogHeader readHeader() const;
    bool open(const std::string& path, int flags);
    void followTruncation();
    bool append(const std::string& text);
    void fail(const std::string& reason);

    std::function<std::string()> now;
    std::string name;
    int fd = -1;
    long long committed = 0; // bytes of whole lines in the file
};
