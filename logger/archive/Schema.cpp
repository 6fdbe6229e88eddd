#include "logger/archive/Schema.h"

#include "logger/archive/Summary.h"

namespace {

std::string tablesSql() {
    std::string sql = "CREATE TABLE raw(time INTEGER PRIMARY KEY, link INTEGER";
    for (const char* name : quantityNames())
        sql += std::string(", ") + name + " REAL";
    sql += ", d1 INTEGER, d2 INTEGER, weather_class INTEGER, trend INTEGER, pressure_offset REAL,"
           " tendency_amount REAL, tendency_characteristic INTEGER, storm_alarm INTEGER);";
    for (int level = 1; level <= AggregateLevels; ++level) {
        sql += std::string("CREATE TABLE ") + Levels[std::size_t(level)].table +
               "(start INTEGER PRIMARY KEY";
        for (const char* q : quantityNames())
            for (const char* c : {"_count INTEGER", "_mean REAL", "_min REAL", "_min_time INTEGER",
                                  "_max REAL", "_max_time INTEGER"})
                sql += std::string(", ") + q + c;
        sql += ");";
    }
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
    db.exec("PRAGMA synchronous = NORMAL");
}

void checkArchive(Tdatabase& db, const std::string& path) {
    std::int64_t tables = 0;
    refuseOther(schemaOf(db, path, tables), tables, path);
}

std::string rawInsertSql() {
    return std::string("INSERT OR IGNORE INTO raw(time, ") + RawColumns +
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

std::string aggregateReplaceSql(const char* table) {
    std::string values = "?1";
    for (int i = 2; i <= 1 + QuantityCount * SummaryColumns; ++i)
        values += ", ?" + std::to_string(i);
    return std::string("INSERT OR REPLACE INTO ") + table + "(" + aggregateColumns() + ") VALUES(" +
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

void bindSummaries(Tstatement& statement, int first, const Tsummaries& summaries) {
    for (int q = 0; q < QuantityCount; ++q) {
        const int i = first + q * SummaryColumns;
        const std::optional<Tsummary>& s = summaries[std::size_t(q)];
        if (!s) {
            for (int k = 0; k < SummaryColumns; ++k)
                statement.bind(i + k, std::optional<double>());
            continue;
        }
        statement.bind(i, s->count).bind(i + 1, s->mean).bind(i + 2, s->min);
        statement.bind(i + 3, s->minTime).bind(i + 4, s->max).bind(i + 5, s->maxTime);
    }
}
