#include "core/Tmy_string.h"

#include <algorithm>
#include <cstring>
#include <new>

bool Tmy_string::grow(std::int32_t newCapacity) {
    char* larger = new (std::nothrow) char[static_cast<std::size_t>(newCapacity)];
    if (!larger) return false;
    if (buffer) std::memcpy(larger, buffer, static_cast<std::size_t>(length) + 1);
    delete[] buffer;
    buffer = larger;
    capacity = newCapacity;
    return true;
}

void Tmy_string::append(char c) {
    if (length + 1 >= capacity && !grow(capacity + GrowthStep)) return;
    buffer[length++] = c;
    buffer[length] = '\0';
}

void Tmy_string::append(const char* text, std::int32_t count) {
    if (!text || !*text) return;
    const auto n = count > 0 ? count : static_cast<std::int32_t>(std::strlen(text));
    const std::int32_t newLength = length + n;
    if (newLength + 1 >= capacity && !grow(std::max(capacity + GrowthStep, newLength + 1))) return;
    std::memcpy(buffer + length, text, static_cast<std::size_t>(n));
    length = newLength;
    buffer[length] = '\0';
}

void Tmy_string::clear() {
    delete[] buffer;
    buffer = nullptr;
    capacity = 0;
    length = 0;
}
