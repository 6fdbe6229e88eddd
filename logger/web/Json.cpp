#include "logger/web/Json.h"

#include <cmath>
#include <cstdio>

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
                out += escape;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string jsonNumber(std::optional<double> value) {
    if (!value || !std::isfinite(*value)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", *value);
    return text;
}

TjsonObject& TjsonObject::raw(std::string_view name, std::string_view json) {
    out += out.empty() ? "{" : ",";
    out += jsonString(name);
    out += ':';
    out += json;
    return *this;
}

std::string TjsonObject::text() const {
    std::string whole = out.empty() ? std::string("{") : out;
    whole += '}';
    return whole;
}
