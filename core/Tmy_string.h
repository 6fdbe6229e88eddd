#pragma once

#include <cstdint>

// A growable zero-terminated text that grows in steps of 128 bytes.
class Tmy_string {
public:
    Tmy_string() = default;
    ~Tmy_string() { clear(); }
    Tmy_string(const Tmy_string&) = delete;
    Tmy_string& operator=(const Tmy_string&) = delete;

    void append(char c);
    // Appends `count` characters, or the whole text when count is 0.
    void append(const char* text, std::int32_t count = 0);
    void clear();
    const char* c_str() const { return buffer ? buffer : &empty; }

    std::int32_t getCapacity() const { return capacity; }
    std::int32_t getLength() const { return length; }

private:
    static constexpr std::int32_t GrowthStep = 128;
    bool grow(std::int32_t newCapacity);

    char empty = 0;
    std::int32_t capacity = 0;
    char* buffer = nullptr;
    std::int32_t length = 0;
};
