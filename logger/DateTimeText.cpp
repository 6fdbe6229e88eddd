#include "logger/DateTimeText.h"

#include <ctime>

std::string localDateTimeText(std::int64_t calendarSeconds) {
    const auto t = static_cast<std::time_t>(calendarSeconds);
    std::tm local{};
    if (!localtime_r(&t, &local)) return {};
    char text[128];
    const std::size_t n = std::strftime(text, sizeof text, "%x %X", &local);
    return std::string(text, n);
}
