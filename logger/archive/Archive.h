#pragma once

#include "logger/archive/Schema.h"
#include "logger/archive/Sqlite.h"
#include "station/Reading.h"

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>

// The archive as an output of the station: each measured reading becomes a row keyed by its
// time (UTC seconds), one transaction a reading, its log synced to the disk at the commit (so a
// power cut loses no committed reading). The minute, hour and day it falls in are summed up as
// it arrives and their rows written each time a minute begins (in the transaction of its first
// reading), when many readings are added together, and at the end; after a kill, the newest
// minute's are made again from its raw rows at the next start. So a reader sees the summaries at
// most a minute late, and the raw rows at once. Raw rows older than the kept span are removed
// once an hour of readings; the summaries stay. The logger writes it through TarchiveWriter, on
// a thread of its own, so that measuring never waits for the disk.
// A write that fails (a full disk, a read-only file) stops the archive with one line said;
// the station and its other outputs go on.
class Tarchive : public TreadingSink {
public:
    // Opens or creates the archive; throws TarchiveRefused with one line for a file of another
    // schema, or that cannot be opened, and leaves it as it is.
    Tarchive(const std::string& path, int keepRawDays, std::function<void(const std::string&)> say);
    ~Tarchive() override;

    void reading(const Treading& reading) override;
    // Measured readings, as the station gave them, in one transaction: their summaries written as
    // `reading` writes them. A write that fails stops the archive with one line said.
    void readings(std::span<const Treading> readings);
    // Adds readings in one transaction; returns how many were new (a reading whose time is in
    // the archive already adds nothing). Throws TsqliteError when the write fails.
    std::size_t add(std::span<const Treading> readings);
    // Whether a write failed and the archive stopped.
    bool stopped() const { return !db; }
    const std::string& path() const { return file; }

private:
    // The summaries of one stored level's present bucket, as its row holds them.
    struct Tbucket {
        std::int64_t start = -1;
        Tsummaries quantities;
        bool fresh = false;   // begun by this connection, not read from the file
        bool changed = false; // since its row was written
    };
    std::size_t add(std::span<const Treading> readings, bool storeAll);
    void recover();
    Tsummaries summed(int level, std::int64_t from, std::int64_t to);
    bool addOne(const Treading& reading);
    bool alreadySummed(std::int64_t time);
    void moveTo(int level, std::int64_t start);
    void store();
    void store(int level);
    void insertRaw(const Treading& r);
    void prune(std::int64_t now);
    void fail(const std::string& reason);

    std::string file;
    std::int64_t keepRawSeconds;
    std::function<void(const std::string&)> say;
    std::unique_ptr<Tdatabase> db;
    std::unique_ptr<Tstatement> insert;
    std::array<std::unique_ptr<Tstatement>, AggregateLevels> replace, select;
    std::array<Tbucket, AggregateLevels> buckets;
    std::int64_t newest = 0; // the latest raw row's time
    std::int64_t lastPrune = 0;
};
