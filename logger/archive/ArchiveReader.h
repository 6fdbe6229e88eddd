#pragma once

#include "logger/archive/HistorySource.h"
#include "logger/archive/Sqlite.h"
#include "station/ReadingHistory.h"

#include <functional>
#include <memory>
#include <string>

// The archive read back on a read-only connection of its own: the station's past minutes at
// its start, the curves and records of the outputs that show the past. In WAL mode a reader
// never blocks the writer, nor the writer it.
class TarchiveReader : public TreadingHistory, public ThistorySource {
public:
    // Throws TarchiveRefused for a file that is no archive of this schema. A read that fails
    // later gives nothing (no minutes, no buckets, no summaries).
    explicit TarchiveReader(const std::string& path);
    ~TarchiveReader() override;

    std::vector<TpastMinute> minutes(std::int64_t from, std::int64_t to) const override;
    std::vector<ThistoryBucket> history(std::int64_t from, std::int64_t to,
                                        int points) const override;
    Tsummaries summary(std::int64_t from, std::int64_t to) const override;

    // The rows of one stored level (0 raw ... 3 day) whose start is in [from, to), each as a
    // bucket of that level's length, oldest first.
    std::vector<ThistoryBucket> rows(int level, std::int64_t from, std::int64_t to) const;

private:
    using TrowVisitor = std::function<void(std::int64_t start, const Tsummaries& row)>;
    std::vector<TpastMinute> readMinutes(std::int64_t from, std::int64_t to) const;
    std::vector<ThistoryBucket> readHistory(std::int64_t from, std::int64_t to, int points) const;
    void eachRow(int level, std::int64_t from, std::int64_t to, const TrowVisitor& visit) const;
    Tsummaries summarize(std::int64_t from, std::int64_t to, int level) const;
    int levelFor(std::int64_t from, std::int64_t to, int points) const;

    std::unique_ptr<Tdatabase> db;
};
