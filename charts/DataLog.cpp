#include "charts/DataLog.h"

#include "charts/ChartTexts.h"
#include "core/Globals.h"
#include "core/Prompts.h"
#include "core/Tdebug.h"
#include "measurement/ParameterAccess.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const EndOfLine = "\r\n";

std::string hexWord(std::int32_t word) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(static_cast<std::uint32_t>(word)));
    return text;
}

std::string line(const std::string& text) {
    return text + EndOfLine;
}

std::string coefficientLine(const char* label, std::int32_t value) {
    return line(std::string("#                        ") + label + " = " + std::to_string(value));
}

std::string wordLine(const char* label, std::int32_t value) {
    return line(std::string("#                        ") + label + " = 0x" + hexWord(value));
}

} // namespace

std::string formatLogHeader(const std::string& dateTime, const TlogHeader& header) {
    const Tsensor_wc& c = header.calibration;
    std::string text;
    text += line("#    Datafile for Corvasine Halvorn Altimeter") + EndOfLine;
    text += line("#    Measurement start date : " + dateTime) + EndOfLine;
    text += line("#    Calibration words :");
    text +=
        wordLine("W1", c.W1) + wordLine("W2", c.W2) + wordLine("W3", c.W3) + wordLine("W4", c.W4);
    text += line("#    Calibration coeff :");
    text += coefficientLine("C1", c.C1) + coefficientLine("C2", c.C2) +
            coefficientLine("C3", c.C3) + coefficientLine("C4", c.C4) +
            coefficientLine("C5", c.C5) + coefficientLine("C6", c.C6) + EndOfLine;
    text += line("#    Temperature [\xB0"
                 "C]");
    text += line("#    Pressure    [mbar]");
    text += line("#    Altitude    [m]") + EndOfLine;
    text += line("#    Local Altitude = " + fixedText(header.localAltitude, 3) + " [m]");
    text += line("#    Sampling N  = " + fixedText(header.N, 0) + " (number of measures/sample)");
    text += line("#    Sampling TS = " + fixedText(header.TS, 0) + " [s]");
    text += line("#    Pressure difference to sea level = " + fixedText(header.seaLevelOffset, 1) +
                 " [mbar]") +
            EndOfLine;
    text += line("# Normal use (QX4180):");
    text += line("#  - DateTime;D1;D2;Pressure;Temperature;Altitude");
    text += line("# With Humidity sensor SHT15 (in option) : ");
    text += line("#  - DateTime;D1;D2;Pressure;TemperatureFromQX4180;Altitude;Humidity;"
                 "TemperatureFromSHT") +
            EndOfLine;
    return text;
}

std::string formatLogSample(const std::string& dateTime, const TlogSample& s) {
    std::string text = dateTime + ';' + std::to_string(s.D1) + ';' + std::to_string(s.D2) + ';' +
                       fixedText(s.pressure, 2) + ';' + fixedText(s.temperature, 2) + ';' +
                       fixedText(s.altitude, 2);
    if (s.humidity > 0 && s.humidity < 999)
        text += ';' + fixedText(s.humidity, 2) + ';' + fixedText(s.humidityTemperature, 2);
    return line(text);
}

TdataLog::TdataLog(std::function<std::string()> dateTimeText) : now(std::move(dateTimeText)) {}

TdataLog::~TdataLog() {
    end();
}

bool TdataLog::begin() {
    if (!theSystem.prompts) return logging();
    const std::string chosen = theSystem.prompts->saveFile("", "", "samples.dat");
    if (chosen.empty()) return logging();
    end();
    if (access(chosen.c_str(), F_OK) == 0 &&
        theSystem.prompts->message(
            "Warning: File already exists. Do you really want to overwrite it ?", "Warning",
            TpromptIcon::Warning, TpromptButtons::YesNo) != TpromptAnswer::Yes)
        return false;
    if (!open(chosen, O_TRUNC)) return false;
    const TlogHeader header = readHeader();
    return append(formatLogHeader(now(), header));
}

TlogHeader TdataLog::readHeader() const {
    TlogHeader header;
    TparameterAccess* parameters = theSystem.parameters;
    if (!parameters) return header;
    parameters->getCalibration(&header.calibration);
    header.localAltitude = parameters->getParameter(codeAltitude);
    header.N = parameters->getParameter(codeN);
    header.TS = parameters->getParameter(codeTS);
    header.seaLevelOffset = parameters->getParameter(codeSeaLevelOffset);
    return header;
}

bool TdataLog::beginAppending(const std::string& path, std::string& error) {
    end();
    if (open(path, O_APPEND)) return true;
    error = std::strerror(errno);
    return false;
}

// The lines already in the file count as committed: a failed write cuts back to them.
bool TdataLog::open(const std::string& path, int flags) {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0666);
    struct stat status {};
    if (fd < 0 || fstat(fd, &status) != 0) {
        const int reason = errno;
        debugPrint("Data file %s : %s", path.c_str(), std::strerror(reason));
        end();
        errno = reason;
        return false;
    }
    name = path;
    committed = static_cast<long long>(status.st_size);
    return true;
}

void TdataLog::end() {
    if (fd < 0) return;
    ::close(fd);
    fd = -1;
}

// A rotation that copied the file and cut it to nothing (logrotate's copytruncate) leaves the
// descriptor's offset beyond the end: the file then starts again at its end, with its header
// when it is empty, instead of behind a hole of zero bytes as long as the old contents.
void TdataLog::followTruncation() {
    struct stat status {};
    if (fstat(fd, &status) != 0 || static_cast<long long>(status.st_size) >= committed) return;
    debugPrint("Data file %s : cut to %lld bytes from outside, logging goes on at its end",
               name.c_str(), static_cast<long long>(status.st_size));
    committed = static_cast<long long>(status.st_size);
    lseek(fd, 0, SEEK_END);
}

bool TdataLog::write(const TlogSample& sample) {
    if (!logging()) return true;
    followTruncation();
    const std::string time = now();
    if (committed == 0 && !append(formatLogHeader(time, readHeader()))) return false;
    return append(formatLogSample(time, sample));
}

bool TdataLog::append(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            fail(n < 0 ? std::strerror(errno) : "nothing could be written");
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    struct stat status {};
    if (fstat(fd, &status) == 0 && status.st_nlink == 0) {
        fail("the file has been removed");
        return false;
    }
    committed += static_cast<long long>(text.size());
    return true;
}

void TdataLog::fail(const std::string& reason) {
    if (ftruncate(fd, static_cast<off_t>(committed)) != 0)
        debugPrint("Data file %s : cannot cut off the partial line", name.c_str());
    end();
    debugPrint("Data file %s : %s; data logging ended", name.c_str(), reason.c_str());
    // Written from the sample step: the box comes once the cycle has moved on.
    if (theSystem.prompts)
        theSystem.prompts->post("Error : The data file " + name + " cannot be written (" + reason +
                                    "). Data logging has ended.",
                                "Error", TpromptIcon::Error);
}
