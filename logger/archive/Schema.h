#pragma once

#include "logger/archive/HistorySource.h"
#include "logger/archive/Sqlite.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

// An archive that this program will not touch: another schema, or no archive at all.
struct TarchiveRefused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The schema's version in PRAGMA user_version; a file of another one is never altered.
inline constexpr int ArchiveSchemaVersion = 1;

// The stored levels, finest first: the raw readings and the aggregates kept as they arrive.
// Each is stored compactly in a table of integers (`stored`) and read through a view (`table`)
// in SI units, as the user's queries and the readers see it.
struct Tlevel {
    const char* table;
    std::int64_t seconds;
    const char* stored;
};
inline constexpr std::array<Tlevel, 4> Levels{{{"raw", 1, "raw_data"},
                                               {"minute", 60, "minute_data"},
                                               {"hour", 3600, "hour_data"},
                                               {"day", 86400, "day_data"}}};

// A value as stored: whole hundredths (the data file's precision), absent stays absent.
std::optional<std::int64_t> hundredths(std::optional<double> value);
inline constexpr int AggregateLevels = 3; // Levels[1] ... Levels[3]

// Checks the file's schema, creating it in an empty file, and puts the connection in WAL mode.
// Throws TarchiveRefused with one line for a file of another schema or none of ours.
void prepareArchive(Tdatabase& db, const std::string& path);
// Checks the schema of a connection opened to read.
void checkArchive(Tdatabase& db, const std::string& path);

// The raw row's columns after its time, in the order rawInsertSql binds them from 2 (the
// quantities, the pressure offset and the tendency amount in hundredths).
extern const char* const RawColumns;
std::string rawInsertSql();
// "SELECT time, qfe, ... humidity_temperature": a raw row's quantities after its time, for
// rawSummaries; the caller adds FROM and WHERE.
std::string rawValuesSql();
// A raw row's quantities, each a summary of one value at the row's time.
Tsummaries rawSummaries(const Tstatement& row);
// An aggregate row as its view reads: the start, then per quantity count, mean, min,
// min_time, max, max_time.
inline constexpr int SummaryColumns = 6;
std::string aggregateColumns();
// Writes a row of a level's stored table: the start at ?1, the summaries from ?2 by
// bindSummaries.
std::string aggregateReplaceSql(const Tlevel& level);

// The quantities' summaries at column `first` of a row of a view.
Tsummaries readSummaries(const Tstatement& row, int first);
// The summaries of the step at `start` as stored from parameter `first`: the count the
// quantities share, then per quantity its own count only where it differs (0 for none), the
// sum, min and max in hundredths, the times of min and max as seconds into the step.
void bindSummaries(Tstatement& statement, int first, const Tsummaries& summaries,
                   std::int64_t start);
