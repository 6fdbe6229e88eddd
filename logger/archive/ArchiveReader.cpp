#include "logger/archive/ArchiveReader.h"

#include "logger/archive/Schema.h"
#include "logger/archive/Summary.h"

#include <algorithm>

namespace {

std::int64_t floorTo(std::int64_t time, std::int64_t step) {
    const std::int64_t q = time / step;
    return (q - (time % step < 0 ? 1 : 0)) * step;
}

std::int64_t ceilTo(std::int64_t time, std::int64_t step) {
    return -floorTo(-time, step);
}

// A read that fails (the file gone, a disk error) gives nothing: the station starts without its
// past, a curve without points, rather than ending.
template <class T, class Read> T orNothing(Read read) {
    try {
        return read();
    } catch (const TsqliteError&) {
        return T{};
    }
}

} // namespace

TarchiveReader::TarchiveReader(const std::string& path) {
    try {
        db = std::make_unique<Tdatabase>(path, true);
        checkArchive(*db, path);
    } catch (const TsqliteError& e) {
        throw TarchiveRefused(path + ": " + e.what());
    }
}

TarchiveReader::~TarchiveReader() = default;

std::vector<TpastMinute> TarchiveReader::minutes(std::int64_t from, std::int64_t to) const {
    return orNothing<std::vector<TpastMinute>>([&] { return readMinutes(from, to); });
}

std::vector<ThistoryBucket> TarchiveReader::history(std::int64_t from, std::int64_t to,
                                                    int points) const {
    return orNothing<std::vector<ThistoryBucket>>([&] { return readHistory(from, to, points); });
}

Tsummaries TarchiveReader::summary(std::int64_t from, std::int64_t to) const {
    return orNothing<Tsummaries>([&] { return summarize(from, to, int(Levels.size()) - 1); });
}

std::vector<TpastMinute> TarchiveReader::readMinutes(std::int64_t from, std::int64_t to) const {
    Tstatement query(*db, "SELECT start, qfe_mean, qnh_mean, temperature_mean FROM minute"
                          " WHERE start >= ?1 AND start <= ?2 ORDER BY start");
    query.bind(1, from).bind(2, to);
    std::vector<TpastMinute> out;
    while (query.step())
        out.push_back({query.integer(0), query.optionalReal(1), query.optionalReal(2),
                       query.optionalReal(3)});
    return out;
}

void TarchiveReader::eachRow(int level, std::int64_t from, std::int64_t to,
                             const TrowVisitor& visit) const {
    const std::string key = level == 0 ? "time" : "start";
    Tstatement query(*db, (level == 0 ? rawValuesSql() : "SELECT " + aggregateColumns()) +
                              " FROM " + Levels[std::size_t(level)].table + " WHERE " + key +
                              " >= ?1 AND " + key + " < ?2 ORDER BY " + key);
    query.bind(1, from).bind(2, to);
    while (query.step())
        visit(query.integer(0), level == 0 ? rawSummaries(query) : readSummaries(query, 1));
}

std::vector<ThistoryBucket> TarchiveReader::rows(int level, std::int64_t from,
                                                 std::int64_t to) const {
    std::vector<ThistoryBucket> out;
    eachRow(level, from, to, [&](std::int64_t start, const Tsummaries& quantities) {
        out.push_back({start, Levels[std::size_t(level)].seconds, quantities});
    });
    return out;
}

// The finest level with at most two rows a point in the span; raw only where raw rows are
// still kept.
int TarchiveReader::levelFor(std::int64_t from, std::int64_t to, int points) const {
    int level = 0;
    while (level + 1 < int(Levels.size()) && (to - from + Levels[std::size_t(level)].seconds - 1) /
                                                     Levels[std::size_t(level)].seconds >
                                                 2 * std::int64_t(points))
        ++level;
    if (level == 0 && from < db->integer("SELECT min(time) FROM raw")) level = 1;
    return level;
}

// Buckets of whole steps of the level, as few steps each as keep them within `points`, laid
// on the level's own grid.
std::vector<ThistoryBucket> TarchiveReader::readHistory(std::int64_t from, std::int64_t to,
                                                        int points) const {
    if (to <= from || points <= 0) return {};
    const int level = levelFor(from, to, points);
    const std::int64_t step = Levels[std::size_t(level)].seconds;
    const std::int64_t first = ceilTo(from, step);
    if (first >= to) return {};
    const std::int64_t steps = (to - first + step - 1) / step;
    const std::int64_t length = step * ((steps + points - 1) / points);
    std::vector<ThistoryBucket> buckets(std::size_t((to - first + length - 1) / length));
    eachRow(level, first, to, [&](std::int64_t start, const Tsummaries& row) {
        mergeSummaries(buckets[std::size_t((start - first) / length)].quantities, row);
    });
    std::vector<ThistoryBucket> out;
    for (std::size_t i = 0; i < buckets.size(); ++i) {
        const Tsummaries& q = buckets[i].quantities;
        if (std::any_of(q.begin(), q.end(), [](const auto& s) { return s.has_value(); }))
            out.push_back({first + std::int64_t(i) * length, length, q});
    }
    return out;
}

// Whole steps of a level from its rows, the ends from the finer levels.
Tsummaries TarchiveReader::summarize(std::int64_t from, std::int64_t to, int level) const {
    Tsummaries out;
    if (from >= to) return out;
    const std::int64_t step = Levels[std::size_t(level)].seconds;
    const std::int64_t a = ceilTo(from, step), b = floorTo(to, step);
    if (level > 0 && a >= b) return summarize(from, to, level - 1);
    if (level > 0) mergeSummaries(out, summarize(from, a, level - 1));
    eachRow(level, a, b, [&out](std::int64_t, const Tsummaries& row) { mergeSummaries(out, row); });
    if (level > 0) mergeSummaries(out, summarize(b, to, level - 1));
    return out;
}
