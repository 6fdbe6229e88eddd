#pragma once

#include <optional>
#include <string>
#include <string_view>

// Pieces of JSON text: a string with its quotes and escapes, a number (null when absent or not
// finite).
std::string jsonString(std::string_view text);
std::string jsonNumber(std::optional<double> value);

// A JSON object built field by field (appended, never concatenated from temporaries).
class TjsonObject {
public:
    TjsonObject& raw(std::string_view name, std::string_view json);
    TjsonObject& number(std::string_view name, std::optional<double> value) {
        return raw(name, jsonNumber(value));
    }
    TjsonObject& integer(std::string_view name, long long value) {
        return raw(name, std::to_string(value));
    }
    TjsonObject& boolean(std::string_view name, bool value) {
        return raw(name, value ? "true" : "false");
    }
    TjsonObject& string(std::string_view name, std::string_view value) {
        return raw(name, jsonString(value));
    }
    std::string text() const;

private:
    std::string out;
};
