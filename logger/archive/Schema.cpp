#include "logger/archive/Schema.h"

#include "logger/archive/Summary.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* SummaryStored[] = {"_n", "_sum", "_min", "_min_at", "_max", "_max_at"};

// The raw readings: the quantities, the offset and the tendency in hundredths.
std::string rawSql() {
    std::string sql = "CREATE TABLE raw_data(time INTEGER PRIMARY KEY, link INTEGER";
    std::string view = "CREATE VIEW raw AS SELECT time, link";
    for (const char* name : quantityNames()) {
        sql += std::string(", ") + name + " INTEGER";
        view += std::string(", ") + name + " / 100.0 AS " + name;
    }
    sql += ", d1 INTEGER, d2 INTEGER, weather_class INTEGER, trend INTEGER, pressure_offset"
           " INTEGER, tendency_amount INTEGER, tendency_characteristic INTEGER, storm_alarm"
           " INTEGER);";
    view += ", d1, d2, weather_class, trend, pressure_offset / 100.0 AS pressure_offset,"
            " tendency_amount / 100.0 AS tendency_amount, tendency_characteristic, storm_alarm"
            " FROM raw_data;";
    return sql + view;
}

// A quantity's columns in an aggregate view, from those stored.
std::string summaryView(const std::string& q) {
    const std::string n = "coalesce(" + q + "_n, count)";
    return ", nullif(" + n + ", 0) AS " + q + "_count, " + q + "_sum / 100.0 / " + n + " AS " + q +
           "_mean, " + q + "_min / 100.0 AS " + q + "_min, start + " + q + "_min_at AS " + q +
           "_min_time, " + q + "_max / 100.0 AS " + q + "_max, start + " + q + "_max_at AS " + q +
           "_max_time";
}

std::string aggregateSql(const Tlevel& level) {
    std::string sql =
        std::string("CREATE TABLE ") + level.stored + "(start INTEGER PRIMARY KEY, count INTEGER";
    std::string view = std::string("CREATE VIEW ") + level.table + " AS SELECT start";
    for (const char* q : quantityNames()) {
        for (const char* c : SummaryStored)
            sql += std::string(", ") + q + c + " INTEGER";
        view += summaryView(q);
    }
    return sql + ");" + view + " FROM " + level.stored + ";";
}

std::string tablesSql() {
    std::string sql = rawSql();
    for (int level = 1; level <= AggregateLevels; ++level)
        sql += aggregateSql(Levels[std::size_t(level)]);
    return sql + "PRAGMA user_version = " + std::to_string(ArchiveSchemaVersion) + ";";
}

std::int64_t schemaOf(Tdatabase& db, const std::string& path, std::int64_t& tables) {
    try {
        tables = db.integer("SELECT count(*) FROM sqlite_master");
        return db.integer("PRAGMA user_version");
    } catch (const TsqliteError& e) {
        throw TarchiveRefused(path + ": not an archive (" + e.what() + "); left as it is");
    }
}

void refuseOther(std::int64_t version, std::int64_t tables, const std::string& path) {
    if (version == ArchiveSchemaVersion) return;
    if (version == 0 && tables > 0)
        throw TarchiveRefused(path + ": a database, but not an archive; left as it is");
    throw TarchiveRefused(path + ": archive schema " + std::to_string(version) +
                          ", this program knows " + std::to_string(ArchiveSchemaVersion) +
                          "; left as it is");
}

} // namespace

const char* const RawColumns =
    "link, qfe, qnh, qff, altitude, temperature, humidity, humidity_temperature, d1, d2,"
    " weather_class, trend, pressure_offset, tendency_amount, tendency_characteristic,"
    " storm_alarm";

void prepareArchive(Tdatabase& db, const std::string& path) {
    std::int64_t tables = 0;
    const std::int64_t version = schemaOf(db, path, tables);
    if (version == 0 && tables == 0) {
        db.exec("PRAGMA journal_mode = WAL");
        db.exec("BEGIN; " + tablesSql() + " COMMIT;");
    } else {
        refuseOther(version, tables, path);
        db.exec("PRAGMA journal_mode = WAL");
    }
    // The log synced at each commit, so that a committed reading survives a power cut as well
    // as a kill; NORMAL would sync it only at checkpoints.
    db.exec("PRAGMA synchronous = FULL");
}

void checkArchive(Tdatabase& db, const std::string& path) {
    std::int64_t tables = 0;
    refuseOther(schemaOf(db, path, tables), tables, path);
}

std::optional<std::int64_t> hundredths(std::optional<double> value) {
    if (!value) return std::nullopt;
    return std::llround(*value * 100);
}

std::string rawInsertSql() {
    return std::string("INSERT OR IGNORE INTO raw_data(time, ") + RawColumns +
           ") VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17)";
}

std::string rawValuesSql() {
    std::string sql = "SELECT time";
    for (const char* q : quantityNames())
        sql += std::string(", ") + q;
    return sql;
}

Tsummaries rawSummaries(const Tstatement& row) {
    Tsummaries out;
    for (int q = 0; q < QuantityCount; ++q)
        if (const std::optional<double> v = row.optionalReal(q + 1))
            addValue(out[std::size_t(q)], *v, row.integer(0));
    return out;
}

std::string aggregateColumns() {
    std::string columns = "start";
    for (const char* q : quantityNames())
        for (const char* c : {"_count", "_mean", "_min", "_min_time", "_max", "_max_time"})
            columns += std::string(", ") + q + c;
    return columns;
}

std::string aggregateReplaceSql(const Tlevel& level) {
    std::string columns = "start, count", values = "?1, ?2";
    for (const char* q : quantityNames())
        for (const char* c : SummaryStored)
            columns += std::string(", ") + q + c;
    for (int i = 3; i <= 2 + QuantityCount * SummaryColumns; ++i)
        values += ", ?" + std::to_string(i);
    return std::string("INSERT OR REPLACE INTO ") + level.stored + "(" + columns + ") VALUES(" +
           values + ")";
}

Tsummaries readSummaries(const Tstatement& row, int first) {
    Tsummaries out;
    for (int q = 0; q < QuantityCount; ++q) {
        const int c = first + q * SummaryColumns;
        if (row.isNull(c) || row.integer(c) <= 0) continue;
        out[std::size_t(q)] = Tsummary{row.integer(c),  row.real(c + 1),    row.real(c + 2),
                                       row.real(c + 4), row.integer(c + 3), row.integer(c + 5)};
    }
    return out;
}

void bindSummaries(Tstatement& statement, int first, const Tsummaries& summaries,
                   std::int64_t start) {
    const auto present = std::find_if(summaries.begin(), summaries.end(),
                                      [](const auto& s) { return s.has_value(); });
    const std::int64_t shared = present == summaries.end() ? 0 : (*present)->count;
    statement.bind(first, shared);
    for (int q = 0; q < QuantityCount; ++q) {
        const int i = first + 1 + q * SummaryColumns;
        const std::optional<Tsummary>& s = summaries[std::size_t(q)];
        for (int k = 0; k < SummaryColumns; ++k)
            statement.bind(i + k, std::optional<std::int64_t>());
        if (!s) {
            statement.bind(i, std::int64_t(0));
            continue;
        }
        if (s->count != shared) statement.bind(i, s->count);
        statement.bind(i + 1, std::int64_t(std::llround(s->mean * double(s->count) * 100)));
        statement.bind(i + 2, hundredths(s->min)).bind(i + 3, s->minTime - start);
        statement.bind(i + 4, hundredths(s->max)).bind(i + 5, s->maxTime - start);
    }
}
