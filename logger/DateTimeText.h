#pragma once

#include <cstdint>
#include <string>

// The local date and time of a calendar time as the data file writes it: the locale's date,
// one blank, the locale's time (LC_TIME, "%x %X").
std::string localDateTimeText(std::int64_t calendarSeconds);
