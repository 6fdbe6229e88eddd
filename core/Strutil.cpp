#include "core/Strutil.h"

#include <cmath>
#include <cstring>

namespace {

struct NumberPart {
    bool negative = false;
    double value = 0.0;
    bool fraction = false;
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

bool readDecimal(const char* text, double* out) {
    NumberPart parts[2];
    NumberPart* part = &parts[0];
    double scale = 0.1;
    bool failed = text == nullptr;
    for (const char* p = text; p && *p; ++p) {
        const char c = *p;
        if (isBlank(c)) continue;
        if (c == '+' || c == '-') {
            part->negative = c == '-';
        } else if (c == '.') {
            part->fraction = true;
        } else if (c == 'E' || c == 'e') {
            part = &parts[1];
            part->fraction = false;
            scale = 0.1;
        } else if (c >= '0' && c <= '9') {
            if (part->fraction) {
                part->value += (c - '0') * scale;
                scale /= 10;
            } else {
                part->value = part->value * 10 + (c - '0');
            }
        } else {
            failed = true;
            break;
        }
    }
    const double mantissa = parts[0].negative ? -parts[0].value : parts[0].value;
    const double exponent = parts[1].negative ? -parts[1].value : parts[1].value;
    const double value = mantissa * std::pow(10.0, exponent);
    if (out) *out = value;
    // Infinity or NaN (digits beyond the range of a double) is no number a field can hold.
    return failed || !std::isfinite(value);
}

bool readInteger(const char* text, std::int32_t* out, int count) {
    bool negative = false;
    std::uint32_t value = 0; // wraps like 32-bit arithmetic, without overflow traps
    bool failed = text == nullptr;
    for (int taken = 0; text && text[taken]; ++taken) {
        if (count > 0 && taken >= count) break;
        const char c = text[taken];
        if (isBlank(c)) continue;
        if (c == '+' || c == '-') {
            negative = c == '-';
        } else if (c >= '0' && c <= '9') {
            value = value * 10u + static_cast<std::uint32_t>(c - '0');
        } else {
            failed = true;
            break;
        }
    }
    if (out) *out = static_cast<std::int32_t>(negative ? 0u - value : value);
    return failed;
}

int copyBounded(char* destination, const char* source, int size) {
    if (destination && size > 0) destination[0] = '\0';
    if (!destination || !source || size <= 0) return 0;
    const std::size_t length = std::strlen(source);
    if (length >= static_cast<std::size_t>(size)) return 0;
    std::memcpy(destination, source, length + 1);
    return static_cast<int>(length);
}
