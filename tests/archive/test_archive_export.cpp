// The archive written out and read back: CSV of every reading, JSON lines of the summaries,
// the same values at the same times, only those of the span.
#include "ArchiveRig.h"
#include "logger/archive/ArchiveExport.h"
#include "logger/archive/ArchiveOptions.h"

#include <charconv>
#include <cstdio>
#include <map>

namespace {

constexpr std::int64_t Base = 1'790'000'000;

std::string exported(const std::string& archive, const TexportRequest& request) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    exportArchive(archive, request, out);
    std::fclose(out);
    std::string result(text, size);
    std::free(text);
    return result;
}

std::vector<std::string> split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos;
         start = end + separator.size())
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

std::optional<double> numberOf(const std::string& text) {
    double value = 0;
    if (text.empty() || text == "null") return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_TRUE(error == std::errc() && end == text.data() + text.size()) << text;
    return value;
}

std::int64_t timeOf(std::string text) {
    if (text.size() > 1 && text.front() == '"') text = text.substr(1, text.size() - 2);
    std::int64_t seconds = 0;
    EXPECT_TRUE(isoTimeSeconds(text, false, seconds)) << text;
    return seconds;
}

// One JSON object of the export as its names and value texts (the export writes no comma
// inside a value).
std::map<std::string, std::string> jsonFields(const std::string& line) {
    std::map<std::string, std::string> fields;
    EXPECT_EQ(line.front(), '{');
    EXPECT_EQ(line.back(), '}');
    for (const std::string& pair : split(line.substr(1, line.size() - 2), ",")) {
        const std::size_t colon = pair.find("\":");
        fields[pair.substr(1, colon - 1)] = pair.substr(colon + 2);
    }
    return fields;
}

struct TarchiveExport : ArchiveRig {
    TarchiveExport() { open()->add(readings); }
    std::vector<Treading> readings = wandering(Base, Base + 2 * 86400, 17);
};

TEST_F(TarchiveExport, EveryReadingOfTheSpanComesBackFromCsv) {
    const std::int64_t from = Base + 17 * 170, to = Base + 17 * 530; // readings at both
    const std::vector<std::string> lines = split(exported(path, {from, to, 0, false, {}}), "\r\n");
    ASSERT_EQ(lines.back(), ""); // every line ends with CR LF
    const std::vector<std::string> header = split(lines.front(), ",");
    ASSERT_EQ(header[0], "time");
    ASSERT_EQ(header[2], "qfe_hPa");
    ASSERT_EQ(header[7], "humidity_%RH");
    std::vector<Treading> want;
    for (const Treading& r : readings)
        if (r.time >= from && r.time < to) want.push_back(r);
    ASSERT_EQ(lines.size(), want.size() + 2);
    for (std::size_t i = 0; i < want.size(); ++i) {
        const std::vector<std::string> f = split(lines[i + 1], ",");
        ASSERT_EQ(f.size(), header.size());
        EXPECT_EQ(timeOf(f[0]), want[i].time);
        const Tvalues values = valuesOf(want[i]);
        for (std::size_t q = 0; q < values.size(); ++q)
            EXPECT_EQ(numberOf(f[2 + q]), values[q]) << header[2 + q] << " " << i;
        EXPECT_EQ(numberOf(f[9]), double(want[i].D1));
    }
}

TEST_F(TarchiveExport, TheSummariesComeBackFromJsonLines) {
    const std::int64_t from = Base - 86400, to = Base + 86400;
    TarchiveReader reader(path);
    for (const int level : {1, 2, 3}) {
        const std::vector<ThistoryBucket> rows = reader.rows(level, from, to);
        const std::vector<std::string> lines =
            split(exported(path, {from, to, level, true, {}}), "\n");
        ASSERT_EQ(lines.size(), rows.size() + 1) << level;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            std::map<std::string, std::string> f = jsonFields(lines[i]);
            EXPECT_EQ(timeOf(f["start"]), rows[i].start);
            for (int q = 0; q < QuantityCount; ++q) {
                const std::string name = quantityNames()[std::size_t(q)];
                const std::string unit = std::string("_") + quantityUnit(q);
                const std::optional<Tsummary>& s = rows[i].quantities[std::size_t(q)];
                ASSERT_EQ(numberOf(f[name + "_count"]).has_value(), s.has_value()) << name;
                if (!s) continue;
                EXPECT_EQ(numberOf(f[name + "_count"]), double(s->count)) << name;
                EXPECT_EQ(numberOf(f[name + "_mean" + unit]), s->mean) << name;
                EXPECT_EQ(numberOf(f[name + "_min" + unit]), s->min) << name;
                EXPECT_EQ(timeOf(f[name + "_min_time"]), s->minTime) << name;
                EXPECT_EQ(numberOf(f[name + "_max" + unit]), s->max) << name;
                EXPECT_EQ(timeOf(f[name + "_max_time"]), s->maxTime) << name;
            }
        }
    }
}

// --units: the pressures (the offset and the tendency too), temperatures and altitudes in the
// units chosen, named in each column; counts, times and the humidity as they are.
TEST_F(TarchiveExport, TheUnitsChosenAreWrittenAndNamed) {
    Treading calibrated = readingAt(Base + 17 * 40 - 1, 1000, 15);
    calibrated.pressureOffset = 12.5;
    open()->add(std::span(&calibrated, 1));
    TexportRequest request{Base, Base + 17 * 40, 0, false, {}};
    ASSERT_TRUE(request.units.parse("inHg,F,ft"));
    const std::vector<std::string> lines = split(exported(path, request), "\r\n");
    const std::vector<std::string> header = split(lines.front(), ",");
    const std::vector<std::string> names{"qfe_inHg",
                                         "qnh_inHg",
                                         "qff_inHg",
                                         "altitude_ft",
                                         "temperature_degF",
                                         "humidity_%RH",
                                         "humidity_temperature_degF"};
    ASSERT_EQ(std::vector<std::string>(header.begin() + 2, header.begin() + 9), names);
    ASSERT_EQ(header[13], "pressure_offset_inHg");
    for (std::size_t i = 0; i < 40; ++i) {
        const std::vector<std::string> f = split(lines[i + 1], ",");
        const Treading& r = readings[i];
        EXPECT_NEAR(*numberOf(f[2]), *r.pressure / 33.8639, 1e-9);
        EXPECT_NEAR(*numberOf(f[5]), *r.altitude / 0.3048, 1e-9);
        EXPECT_NEAR(*numberOf(f[6]), *r.temperature * 1.8 + 32, 1e-9);
        EXPECT_EQ(numberOf(f[7]), r.humidity);
    }
    EXPECT_NEAR(*numberOf(split(lines[41], ",")[13]), 12.5 / 33.8639, 1e-9);
    request.level = 1;
    request.jsonLines = true;
    const std::map<std::string, std::string> minute =
        jsonFields(split(exported(path, request), "\n").front());
    EXPECT_NEAR(*numberOf(minute.at("qnh_max_inHg")), (1000 + 12) / 33.8639, 0.3);
    EXPECT_EQ(minute.count("temperature_mean_degF"), 1u);
}

} // namespace
