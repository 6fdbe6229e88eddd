#pragma once

#include "station/PressureUnits.h"

#include <cstdint>
#include <cstdio>
#include <string>

// A span of the archive written out: every stored reading (level 0) or the minute, hour or day
// summaries (1 to 3), oldest first, as CSV (RFC 4180: a header line, CR LF line ends) or as one
// JSON object a line. Times are ISO 8601 UTC, pressures, temperatures and altitudes in the
// units chosen (hPa, °C, m by default), the unit of each value in its column's name, an absent
// value an empty field or null.
struct TexportRequest {
    std::int64_t from = INT64_MIN, to = INT64_MAX; // [from, to)
    int level = 0;
    bool jsonLines = false;
    TunitChoice units;
};

// Writes to `out`; returns the rows written. Throws TsqliteError or TarchiveRefused when the
// archive cannot be read.
std::int64_t exportArchive(const std::string& archive, const TexportRequest& request,
                           std::FILE* out);
