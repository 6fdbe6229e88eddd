#include "station/Settingsfile.h"

#include "core/Globals.h"
#include "core/Prompts.h"
#include "core/Tdebug.h"
#include "measurement/ParameterAccess.h"
#include "station/Fixedtext.h"
#include "station/Tstreamtokenizer.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {
struct Tkey {
    const char* name;
    int code;
};

constexpr Tkey keys[] = {
    {"set_sampling_n", codeN},
    {"set_sampling_ts", codeTS},
    {"set_altitude", codeAltitude},
    {"set_meteo_sunny_limit", codeSunny},
    {"set_meteo_variable_limit", codeVariable},
    {"set_meteo_overcast_limit", codeOvercast},
    {"set_meteo_hysteresis_limit", codeHysteresis},
    {"set_quick_down_weather_rate", codeQuickDown},
    {"set_slow_down_weather_rate", codeSlowDown},
    {"set_quick_up_weather_rate", codeQuickUp},
    {"set_slow_up_weather_rate", codeSlowUp},
    {"set_minimized", codeMinimized},
    {"set_save_on_exit", codeSaveOnExit},
    {"set_small_x", codeSmallX},
    {"set_small_y", codeSmallY},
};

void showError(const std::string& text) {
    debugPrint("%s", text.c_str());
    if (theSystem.prompts)
        theSystem.prompts->message(text, "Error", TpromptIcon::Error, TpromptButtons::Ok);
}

// The settings are read in the first step of every search: that box must not hold the search.
void postError(const std::string& text) {
    debugPrint("%s", text.c_str());
    if (theSystem.prompts) theSystem.prompts->post(text, "Error", TpromptIcon::Error);
}

// Length of the digit run starting at `text`.
std::size_t digits(const char* text) {
    std::size_t n = 0;
    while (std::isdigit(static_cast<unsigned char>(text[n])))
        ++n;
    return n;
}

std::string fixed(double value) {
    return formatFixed(value, 6);
}

std::string line(const char* key, const std::string& value) {
    return std::string(key) + '\t' + value + '\n';
}

std::string flag(double value) {
    return value != 0.0 ? "1.0" : "0.0";
}

// The file a name stands for: a symbolic link is replaced through its target.
std::string targetOf(const std::string& fileName) {
    struct stat st {};
    if (lstat(fileName.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return fileName;
    char* resolved = realpath(fileName.c_str(), nullptr);
    if (!resolved) return fileName;
    std::string target(resolved);
    std::free(resolved);
    return target;
}

// Permissions of the new file: those of the file it replaces, else the usual ones.
mode_t modeFor(const std::string& target) {
    struct stat st {};
    if (stat(target.c_str(), &st) == 0) return st.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool replaceFile(const std::string& fileName, const std::string& text) {
    const std::string target = targetOf(fileName);
    std::string temporary = target + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return false;
    bool ok = fchmod(fd, modeFor(target)) == 0 && writeAll(fd, text) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && std::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) unlink(temporary.c_str());
    return ok;
}
} // namespace

int settingsKeyCode(const char* key) {
    for (const Tkey& k : keys)
        if (std::strcmp(k.name, key) == 0) return k.code;
    return 0;
}

double readSettingsNumber(const char* text) {
    while (*text == ' ' || *text == '\t')
        ++text;
    std::size_t n = 0;
    if (text[n] == '+' || text[n] == '-') ++n;
    const std::size_t whole = digits(text + n);
    n += whole;
    std::size_t fraction = 0;
    if (text[n] == '.') {
        fraction = digits(text + n + 1);
        if (whole + fraction > 0) n += 1 + fraction;
    }
    if (whole + fraction == 0) return 0.0;
    if (text[n] == 'e' || text[n] == 'E') {
        std::size_t e = n + 1;
        if (text[e] == '+' || text[e] == '-') ++e;
        const std::size_t exponent = digits(text + e);
        if (exponent > 0) n = e + exponent;
    }
    const char* begin = text[0] == '+' ? text + 1 : text;
    double value = 0.0;
    const auto result = std::from_chars(begin, text + n, value);
    if (result.ec != std::errc::result_out_of_range) return value;
    // Too small for a double reads as 0, too large as the largest double.
    const std::string_view number(text, n);
    if (number.find("e-") != std::string_view::npos || number.find("E-") != std::string_view::npos)
        return 0.0;
    return text[0] == '-' ? -DBL_MAX : DBL_MAX;
}

double settingsFileValue(int code, double value) {
    switch (code) {
    case codeN: return std::clamp(value, 1.0, MaxFileSamples);
    case codeTS: return std::clamp(value, 1.0, MaxFileInterval);
    case codeAltitude: return std::clamp(value, MinLocalAltitude, MaxLocalAltitude);
    default: return value;
    }
}

void readSettingsStream(std::FILE* stream, TparameterAccess& access) {
    Tstreamtokenizer tokenizer;
    tokenizer.attach(stream);
    int index = 0;
    int code = 0;
    bool lineEnded = false;
    bool fileEnded = false;
    while (!fileEnded) {
        const char* token = tokenizer.nextToken(lineEnded, fileEnded);
        if (index == 0)
            code = settingsKeyCode(token);
        else if (index == 1 && code != 0 && token[0] != '\0')
            access.setParameter(code, settingsFileValue(code, readSettingsNumber(token)));
        index = lineEnded ? 0 : index + 1;
    }
}

namespace {
// The file for reading, or null with `reason` telling why. O_NONBLOCK keeps the open of a FIFO
// without a writer from waiting for good; anything but a regular file is refused before a byte
// is read.
std::FILE* openRegularFile(const std::string& fileName, std::string& reason) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = errno == ENOENT ? "" : std::strerror(errno);
        return nullptr;
    }
    struct stat st {};
    std::FILE* file = nullptr;
    if (fstat(fd, &st) != 0)
        reason = std::strerror(errno);
    else if (S_ISDIR(st.st_mode))
        reason = std::strerror(EISDIR);
    else if (!S_ISREG(st.st_mode))
        reason = "not a regular file";
    else if (!(file = fdopen(fd, "rb")))
        reason = std::strerror(errno);
    if (!file) ::close(fd);
    return file;
}
} // namespace

bool readSettingsFile(const std::string& fileName, TparameterAccess& access) {
    std::string reason;
    std::FILE* file = openRegularFile(fileName, reason);
    if (!file) {
        postError(reason.empty()
                      ? "Error : Unable to open input file " + fileName
                      : "Error : Unable to read input file " + fileName + " (" + reason + ")");
        return false;
    }
    readSettingsStream(file, access);
    std::fclose(file);
    return true;
}

std::string settingsText(TparameterAccess& access) {
    auto get = [&access](int code) { return access.getParameter(code); };
    return line("set_sampling_n", std::to_string(truncateToInt(get(codeN)))) +
           line("set_sampling_ts", std::to_string(truncateToInt(get(codeTS)))) +
           line("set_altitude", fixed(get(codeAltitude))) +
           "#warning, take care of the meteo limit sequence since they must be always coherent\n" +
           line("set_meteo_overcast_limit", fixed(get(codeOvercast))) +
           line("set_meteo_variable_limit", fixed(get(codeVariable))) +
           line("set_meteo_sunny_limit", fixed(get(codeSunny))) +
           line("set_meteo_hysteresis_limit", fixed(get(codeHysteresis))) +
           "#warning, take caer of the trend limit sequence since they must be always coherent\n" +
           line("set_quick_down_weather_rate", fixed(get(codeQuickDown))) +
           line("set_slow_down_weather_rate", fixed(get(codeSlowDown))) +
           line("set_quick_up_weather_rate", fixed(get(codeQuickUp))) +
           line("set_slow_up_weather_rate", fixed(get(codeSlowUp))) +
           line("set_minimized", flag(get(codeMinimized))) +
           line("set_save_on_exit", flag(get(codeSaveOnExit))) +
           line("set_small_x", fixed(get(codeSmallX))) +
           line("set_small_y", fixed(get(codeSmallY)));
}

bool writeSettingsFile(const std::string& fileName, const std::string& text) {
    if (replaceFile(fileName, text)) return true;
    reportSettingsWriteError(fileName);
    return false;
}

void reportSettingsWriteError(const std::string& fileName) {
    showError("Error : Unable to open output file " + fileName);
}
