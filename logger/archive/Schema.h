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
struct Tlevel {
    const char* table;
    std::int64_t seconds;
};
inline constexpr std::array<Tlevel, 4> Levels{
    {{"raw", 1}, {"minute", 60}, {"hour", 3600}, {"day", 86400}}};
inline constexpr int AggregateLevels = 3; // Levels[1] ... Levels[3]

// Checks the file's schema, creating it in an empty file, and puts the connection in WAL mode.
// Throws TarchiveRefused with one line for a file of another schema or none of ours.
void prepareArchive(Tdatabase& db, const std::string& path);
// Checks the schema of a connection opened to read.
void checkArchive(Tdatabase& db, const std::string& path);

// The raw row's columns after its time, in the order rawInsertSql binds them from 2.
extern const char* const RawColumns;
std::string rawInsertSql();
// "SELECT time, qfe, ... humidity_temperature": a raw row's quantities after its time, for
// rawSummaries; the caller adds FROM and WHERE.
std::string rawValuesSql();
// A raw row's quantities, each a summary of one value at the row's time.
Tsummaries rawSummaries(const Tstatement& row);
// An aggregate row: the start, then per quantity count, mean, min, min_time, max, max_time.
inline constexpr int SummaryColumns = 6;
std::string aggregateColumns();
std::string aggregateReplaceSql(const char* table);

// The quantities' summaries at `first` (a statement's columns from 0, its parameters from 1).
Tsummaries readSummaries(const Tstatement& row, int first);
void bindSummaries(Tstatement& statement, int first, const Tsummaries& summaries);
