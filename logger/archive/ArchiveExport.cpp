#include "logger/archive/ArchiveExport.h"

#include "logger/archive/ArchiveOptions.h"
#include "logger/archive/ArchiveReader.h"
#include "logger/archive/Progress.h"
#include "logger/archive/Schema.h"
#include "logger/archive/Summary.h"

#include <charconv>
#include <vector>

namespace {

// One exported column: its name, how its text is taken from a row of the query, and for a
// value the quantity whose unit it is in.
struct Tcolumn {
    std::string name;
    enum Kind { Time, Integer, Real } kind;
    int quantity = -1;
};

std::vector<Tcolumn> rawColumns(const TunitChoice& units) {
    std::vector<Tcolumn> c{{"time", Tcolumn::Time}, {"link", Tcolumn::Integer}};
    for (int q = 0; q < QuantityCount; ++q)
        c.push_back({std::string(quantityNames()[std::size_t(q)]) + "_" + quantityUnit(q, units),
                     Tcolumn::Real, q});
    for (const char* name : {"d1", "d2", "weather_class", "trend"})
        c.push_back({name, Tcolumn::Integer});
    const int pressure = int(Tquantity::Qfe);
    c.push_back({"pressure_offset_" + quantityUnit(pressure, units), Tcolumn::Real, pressure});
    c.push_back({"tendency_amount_" + quantityUnit(pressure, units), Tcolumn::Real, pressure});
    c.push_back({"tendency_characteristic", Tcolumn::Integer});
    c.push_back({"storm_alarm", Tcolumn::Integer});
    return c;
}

std::vector<Tcolumn> aggregateColumnList(const TunitChoice& units) {
    std::vector<Tcolumn> c{{"start", Tcolumn::Time}};
    for (int q = 0; q < QuantityCount; ++q) {
        const std::string name = quantityNames()[std::size_t(q)];
        const std::string unit = std::string("_").append(quantityUnit(q, units));
        c.push_back({name + "_count", Tcolumn::Integer});
        c.push_back({name + "_mean" + unit, Tcolumn::Real, q});
        c.push_back({name + "_min" + unit, Tcolumn::Real, q});
        c.push_back({name + "_min_time", Tcolumn::Time});
        c.push_back({name + "_max" + unit, Tcolumn::Real, q});
        c.push_back({name + "_max_time", Tcolumn::Time});
    }
    return c;
}

// A value's text, in the unit of its column; empty for NULL.
std::string valueText(const Tstatement& row, int i, const Tcolumn& column,
                      const TunitChoice& units) {
    if (row.isNull(i)) return {};
    if (column.kind == Tcolumn::Time) return isoTimeText(row.integer(i));
    if (column.kind == Tcolumn::Integer) return std::to_string(row.integer(i));
    char text[32];
    const auto end =
        std::to_chars(text, text + sizeof text, inUnit(column.quantity, row.real(i), units)).ptr;
    return std::string(text, end);
}

std::string csvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i)
        line += (i ? "," : "") + fields[i];
    return line + "\r\n";
}

std::string jsonLine(const std::vector<Tcolumn>& columns, const std::vector<std::string>& fields) {
    std::string line = "{";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const bool quoted = columns[i].kind == Tcolumn::Time && !fields[i].empty();
        const std::string value = fields[i].empty() ? "null"
                                  : quoted          ? '"' + fields[i] + '"'
                                                    : fields[i];
        line += (i ? ",\"" : "\"") + columns[i].name + "\":" + value;
    }
    return line + "}\n";
}

} // namespace

std::int64_t exportArchive(const std::string& archive, const TexportRequest& request,
                           std::FILE* out) {
    Tdatabase db(archive, true);
    checkArchive(db, archive);
    const bool raw = request.level == 0;
    const std::vector<Tcolumn> columns =
        raw ? rawColumns(request.units) : aggregateColumnList(request.units);
    const std::string table = Levels[std::size_t(request.level)].table;
    const std::string key = raw ? "time" : "start";
    const std::string where = " FROM " + table + " WHERE " + key + " >= ?1 AND " + key + " < ?2";
    Tstatement count(db, "SELECT count(*)" + where);
    count.bind(1, request.from).bind(2, request.to);
    Tprogress progress("export", count.step() ? count.integer(0) : 0);
    count.reset();
    Tstatement rows(db, "SELECT " +
                            (raw ? "time, " + std::string(RawColumns) : aggregateColumns()) +
                            where + " ORDER BY " + key);
    rows.bind(1, request.from).bind(2, request.to);
    std::vector<std::string> fields;
    for (const Tcolumn& c : columns)
        fields.push_back(c.name);
    if (!request.jsonLines) std::fputs(csvLine(fields).c_str(), out);
    std::int64_t written = 0;
    while (rows.step()) {
        for (std::size_t i = 0; i < columns.size(); ++i)
            fields[i] = valueText(rows, int(i), columns[i], request.units);
        const std::string line = request.jsonLines ? jsonLine(columns, fields) : csvLine(fields);
        std::fputs(line.c_str(), out);
        progress.advance(++written);
    }
    return written;
}
