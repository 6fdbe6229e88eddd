// The settings tokenizer and reader on arbitrary file contents.
#include "measurement/ParameterAccess.h"
#include "station/Settingsfile.h"
#include "station/Tstreamtokenizer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
// Takes every value; a code outside the settings keys means the reader made one up.
class Sink : public TparameterAccess {
public:
    double getParameter(int) override { return 0.0; }
    void setParameter(int code, double) override {
        if (code < 1 || code > 16 || code == 8) std::abort();
    }
    void getCalibration(Tsensor_wc*) override {}
    void setCalibration(const Tsensor_wc*) override {}
};

std::FILE* open(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::tmpfile();
    if (!file) std::abort();
    std::fwrite(data, 1, size, file);
    std::rewind(file);
    return file;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = open(data, size);
    Tstreamtokenizer tokenizer;
    tokenizer.attach(file);
    bool lineEnded = false, fileEnded = false;
    std::size_t tokens = 0;
    while (!fileEnded) {
        const char* token = tokenizer.nextToken(lineEnded, fileEnded);
        // Tokens stay within their buffer, and every call reads at least one character.
        if (std::strlen(token) > Tstreamtokenizer::MaxToken || ++tokens > size + 1) std::abort();
    }
    std::rewind(file);
    Sink sink;
    readSettingsStream(file, sink);
    std::fclose(file);
    return 0;
}
