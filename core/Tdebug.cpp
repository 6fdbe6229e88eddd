#include "core/Tdebug.h"

#include "core/Tmy_string.h"

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

std::atomic<TdebugSink*> currentSink{nullptr};

constexpr int MaxDirectiveLength = 31; // from "%" to the conversion letter
constexpr int MaxNumberLength = 34;    // text of one numeric conversion

bool isConversion(char c) {
    return c != '\0' && std::strchr("%csdiuxXeEfgG", c) != nullptr;
}

// Only flags, width and precision reach the C formatter; length letters, "*" and anything else
// would make it read arguments of another size, so they are dropped.
bool passedToFormatter(char c) {
    return c != '\0' && std::strchr("-+ #0123456789.", c) != nullptr;
}

// Formats one conversion; `directive` runs from "%" to its letter and is zero-terminated.
void formatConversion(Tmy_string& line, const char* directive, char letter, va_list& args) {
    char number[MaxNumberLength + 1];
    switch (letter) {
    case '%': line.append('%'); return;
    case 'c': line.append(static_cast<char>(va_arg(args, int))); return;
    case 's': {
        const char* text = va_arg(args, const char*);
        line.append(text ? text : "(null)");
        return;
    }
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X': std::snprintf(number, sizeof number, directive, va_arg(args, int)); break;
    default: std::snprintf(number, sizeof number, directive, va_arg(args, double)); break;
    }
    line.append(number);
}

void formatInto(Tmy_string& line, const char* format, va_list& args) {
    const char* p = format;
    while (*p) {
        if (*p != '%') {
            // Plain text up to the next directive in one piece.
            const auto run = static_cast<std::int32_t>(std::strcspn(p, "%"));
            line.append(p, run);
            p += run;
            continue;
        }
        // Collect the directive up to its conversion letter.
        char directive[MaxDirectiveLength + 1];
        int length = 0;
        directive[length++] = *p++;
        int collected = 1;
        while (*p && !isConversion(*p) && collected < MaxDirectiveLength - 1) {
            if (passedToFormatter(*p)) directive[length++] = *p;
            ++p;
            ++collected;
        }
        if (!isConversion(*p)) {
            // Unterminated or over-long directive: keep what was collected as plain text.
            line.append(directive, length);
            continue;
        }
        const char letter = *p++;
        directive[length++] = letter;
        directive[length] = '\0';
        formatConversion(line, directive, letter, args);
    }
}

} // namespace

int logNumber(const void* object) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(object));
}

TdebugSink* debugSink() {
    return currentSink.load(std::memory_order_acquire);
}

void setDebugSink(TdebugSink* sink) {
    currentSink.store(sink, std::memory_order_release);
}

void debugPrint(const char* format, ...) {
    TdebugSink* sink = debugSink();
    if (!format || !sink) return;
    Tmy_string line;
    va_list args;
    va_start(args, format);
    formatInto(line, format, args);
    va_end(args);
    sink->appendLine(line.c_str());
}

void debugFormat(char* out, int size, const char* format, ...) {
    if (!out || size <= 0) return;
    out[0] = '\0';
    if (!format) return;
    Tmy_string line;
    va_list args;
    va_start(args, format);
    formatInto(line, format, args);
    va_end(args);
    std::snprintf(out, static_cast<std::size_t>(size), "%s", line.c_str());
}
