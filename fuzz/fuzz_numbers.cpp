// The number readers on arbitrary text.
#include "core/Strutil.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    double decimal = 0;
    const bool decimalFailed = readDecimal(text.c_str(), &decimal);
    // An accepted text holds only blanks, signs, digits, points and exponent letters.
    if (!decimalFailed && text.find_first_not_of(" \t+-.eE0123456789") < std::strlen(text.c_str()))
        std::abort();
    std::int32_t integer = 0;
    readInteger(text.c_str(), &integer, static_cast<int>(size % 8));
    return 0;
}
