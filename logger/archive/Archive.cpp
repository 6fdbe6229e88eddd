#include "logger/archive/Archive.h"

#include "logger/archive/Summary.h"

namespace {

constexpr std::int64_t PruneEvery = 3600; // [s] of readings between two prunes

std::int64_t floorTo(std::int64_t time, std::int64_t step) {
    const std::int64_t q = time / step;
    return (q - (time % step < 0 ? 1 : 0)) * step;
}

std::optional<double> optionalInt(const std::optional<int>& value) {
    if (!value) return std::nullopt;
    return double(*value);
}

} // namespace

Tarchive::Tarchive(const std::string& path, int keepRawDays,
                   std::function<void(const std::string&)> sayLine)
    : file(path), keepRawSeconds(std::int64_t(keepRawDays) * 86400), say(std::move(sayLine)) {
    try {
        db = std::make_unique<Tdatabase>(path, false);
        prepareArchive(*db, path);
        insert = std::make_unique<Tstatement>(*db, rawInsertSql());
        for (int level = 0; level < AggregateLevels; ++level) {
            const Tlevel& stored = Levels[std::size_t(level) + 1];
            const char* table = stored.table;
            replace[std::size_t(level)] =
                std::make_unique<Tstatement>(*db, aggregateReplaceSql(stored));
            select[std::size_t(level)] = std::make_unique<Tstatement>(
                *db, "SELECT " + aggregateColumns() + " FROM " + table + " WHERE start = ?1");
        }
        recover();
    } catch (const TsqliteError& e) {
        throw TarchiveRefused(path + ": " + e.what());
    }
}

// The summaries of the newest minute, hour and day are written when they are left (so that
// nothing is lost if the program is stopped)...
Tarchive::~Tarchive() {
    if (!db) return;
    try {
        add({}, true);
    } catch (const TsqliteError& e) {
        say("archive " + file + ": " + e.what());
    }
}

void Tarchive::reading(const Treading& reading) {
    if (reading.measured()) readings(std::span(&reading, 1));
}

void Tarchive::readings(std::span<const Treading> readings) {
    if (!db) return;
    try {
        add(readings, false);
    } catch (const TsqliteError& e) {
        fail(e.what());
    }
}

// ... and when it was killed, the newest minute's summary is made again from its raw rows, the
// hour's and the day's from the rows of the level below, and stored.
void Tarchive::recover() {
    newest = db->integer("SELECT max(time) FROM raw");
    if (newest == 0) return;
    std::array<std::int64_t, AggregateLevels> starts{};
    for (int level = 0; level < AggregateLevels; ++level)
        starts[std::size_t(level)] = floorTo(newest, Levels[std::size_t(level) + 1].seconds);
    Tsummaries below = summed(0, starts[0], newest + 1);
    for (int level = 0; level < AggregateLevels; ++level) {
        const std::size_t l = std::size_t(level);
        buckets[l] = Tbucket{starts[l], below, false, true};
        if (level + 1 < AggregateLevels) {
            below = summed(level + 1, starts[l + 1], starts[l]);
            mergeSummaries(below, buckets[l].quantities);
        }
    }
    add({}, true);
}

// The summaries of the rows of a level (0 raw, 1 minute ...) from `from` to before `to`.
Tsummaries Tarchive::summed(int level, std::int64_t from, std::int64_t to) {
    const bool raw = level == 0;
    const std::string key = raw ? "time" : "start";
    Tstatement rows(*db, (raw ? rawValuesSql() : "SELECT " + aggregateColumns()) + " FROM " +
                             Levels[std::size_t(level)].table + " WHERE " + key + " >= ?1 AND " +
                             key + " < ?2");
    rows.bind(1, from).bind(2, to);
    Tsummaries out;
    while (rows.step())
        mergeSummaries(out, raw ? rawSummaries(rows) : readSummaries(rows, 1));
    return out;
}

std::size_t Tarchive::add(std::span<const Treading> readings) {
    return add(readings, true);
}

std::size_t Tarchive::add(std::span<const Treading> readings, bool storeAll) {
    if (!db) throw TsqliteError("the archive has stopped");
    Ttransaction transaction(*db);
    std::size_t added = 0;
    try {
        for (const Treading& r : readings)
            if (addOne(r)) ++added;
        if (storeAll) store();
        transaction.commit();
    } catch (...) {
        buckets = {}; // what the rollback took back is read again from the file
        throw;
    }
    return added;
}

bool Tarchive::addOne(const Treading& r) {
    const std::int64_t minute = floorTo(r.time, Levels[1].seconds);
    if (minute != buckets[0].start) store();
    moveTo(0, minute);
    if (alreadySummed(r.time)) return false;
    insertRaw(r);
    if (sqlite3_changes(db->handle()) == 0) return false; // that second is in already
    const Tvalues values = valuesOf(r);
    for (int level = 0; level < AggregateLevels; ++level) {
        const std::size_t l = std::size_t(level);
        moveTo(level, floorTo(r.time, Levels[l + 1].seconds));
        for (std::size_t q = 0; q < values.size(); ++q)
            if (values[q]) addValue(buckets[l].quantities[q], *values[q], r.time);
        buckets[l].changed = true;
    }
    newest = std::max(newest, r.time);
    if (r.time - lastPrune >= PruneEvery) prune(r.time);
    return true;
}

// A reading older than the raw span may have had its row removed: it is taken as in when its
// minute was in the archive before this connection began it.
bool Tarchive::alreadySummed(std::int64_t time) {
    return time < newest - keepRawSeconds && !buckets[0].fresh;
}

void Tarchive::store() {
    for (int level = 0; level < AggregateLevels; ++level)
        store(level);
}

void Tarchive::store(int level) {
    Tbucket& bucket = buckets[std::size_t(level)];
    if (!bucket.changed) return;
    Tstatement& s = *replace[std::size_t(level)];
    s.bind(1, bucket.start);
    bindSummaries(s, 2, bucket.quantities, bucket.start);
    s.run();
    bucket.changed = false;
}

void Tarchive::moveTo(int level, std::int64_t start) {
    Tbucket& bucket = buckets[std::size_t(level)];
    if (bucket.start == start) return;
    store(level);
    bucket = Tbucket{start, {}, true, false};
    Tstatement& query = *select[std::size_t(level)];
    query.bind(1, start);
    if (query.step()) {
        bucket.quantities = readSummaries(query, 1);
        bucket.fresh = false;
    }
    query.reset();
}

void Tarchive::insertRaw(const Treading& r) {
    Tstatement& s = *insert;
    s.bind(1, r.time).bind(2, std::int64_t(r.link));
    const Tvalues values = valuesOf(r);
    for (std::size_t q = 0; q < values.size(); ++q)
        s.bind(3 + int(q), hundredths(values[q]));
    s.bind(10, std::int64_t(r.D1)).bind(11, std::int64_t(r.D2));
    s.bind(12, std::int64_t(r.weatherClass)).bind(13, std::int64_t(r.trend));
    s.bind(14, hundredths(r.pressureOffset)).bind(15, hundredths(r.tendencyAmount));
    s.bind(16, optionalInt(r.tendencyCharacteristic));
    s.bind(17, std::int64_t(r.stormAlarm ? 1 : 0));
    s.run();
}

void Tarchive::prune(std::int64_t now) {
    lastPrune = now;
    Tstatement remove(*db, "DELETE FROM raw_data WHERE time < ?1");
    remove.bind(1, now - keepRawSeconds);
    remove.run();
}

void Tarchive::fail(const std::string& reason) {
    say("archive " + file + " stopped, measuring goes on: " + reason);
    replace = {};
    select = {};
    insert.reset();
    db.reset();
}
