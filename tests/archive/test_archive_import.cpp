// Data files of each locale they are written in, read into the archive: the readings that made
// them, once however often they are imported, and the lines that are no sample by number.
#include "ArchiveRig.h"
#include "charts/DataLog.h"
#include "logger/archive/ArchiveImport.h"

#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>

namespace {

using Tformat = std::function<std::string(const std::tm&)>;

std::string printed(const char* format, auto... values) {
    char text[96];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

int hour12(const std::tm& t) {
    return t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12;
}

const char* ampm(const std::tm& t) {
    return t.tm_hour < 12 ? "AM" : "PM";
}

// The date and time as each program writes them in each locale (the desktop program its
// locale's short date and long time, the logger strftime's %x %X).
// es_ES writes day/month/yy: only a day above 12 in the file tells it from month/day/yy.
const std::pair<const char*, Tformat> Locales[] = {
    {"es_ES desktop",
     [](const std::tm& t) {
         return printed("%d/%d/%02d %d:%02d:%02d", t.tm_mday, t.tm_mon + 1, t.tm_year % 100,
                        t.tm_hour, t.tm_min, t.tm_sec);
     }},
    {"C logger",
     [](const std::tm& t) {
         return printed("%02d/%02d/%02d %02d:%02d:%02d", t.tm_mon + 1, t.tm_mday, t.tm_year % 100,
                        t.tm_hour, t.tm_min, t.tm_sec);
     }},
    {"C desktop",
     [](const std::tm& t) {
         static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
         return printed("%d %s %d %02d:%02d:%02d", t.tm_mday, months[t.tm_mon], t.tm_year + 1900,
                        t.tm_hour, t.tm_min, t.tm_sec);
     }},
    {"en_US desktop",
     [](const std::tm& t) {
         return printed("%d/%d/%02d %d:%02d:%02d %s", t.tm_mon + 1, t.tm_mday, t.tm_year % 100,
                        hour12(t), t.tm_min, t.tm_sec, ampm(t));
     }},
    {"en_US logger",
     [](const std::tm& t) {
         return printed("%02d/%02d/%d %02d:%02d:%02d %s", t.tm_mon + 1, t.tm_mday, t.tm_year + 1900,
                        hour12(t), t.tm_min, t.tm_sec, ampm(t));
     }},
    {"de_DE desktop",
     [](const std::tm& t) {
         return printed("%02d.%02d.%02d %02d:%02d:%02d", t.tm_mday, t.tm_mon + 1, t.tm_year % 100,
                        t.tm_hour, t.tm_min, t.tm_sec);
     }},
    {"de_DE logger",
     [](const std::tm& t) {
         return printed("%02d.%02d.%d %02d:%02d:%02d", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900,
                        t.tm_hour, t.tm_min, t.tm_sec);
     }},
    {"fr_FR",
     [](const std::tm& t) {
         return printed("%02d/%02d/%d %02d:%02d:%02d", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900,
                        t.tm_hour, t.tm_min, t.tm_sec);
     }},
    {"ja_JP desktop",
     [](const std::tm& t) {
         return printed("%d/%02d/%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                        t.tm_hour, t.tm_min, t.tm_sec);
     }},
    {"ja_JP logger",
     [](const std::tm& t) {
         return printed("%d\xE5\xB9\xB4%02d\xE6\x9C\x88%02d\xE6\x97\xA5 "
                        "%02d\xE6\x99\x82%02d\xE5\x88\x86%02d\xE7\xA7\x92",
                        t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
     }},
};

// Readings at two decimals as the file keeps them, from just after midnight to after noon.
std::vector<Treading> fileReadings(std::int64_t from) {
    std::vector<Treading> out;
    for (int i = 0; i < 60; ++i) {
        Treading r = readingAt(from + i * 797, 990 + i * 0.37, -3 + i * 0.25,
                               i % 4 ? std::optional<double>(40 + i * 0.5) : std::nullopt);
        r.seaLevelPressure = *r.pressure + 12.1;
        r.altitude = 100 + i * 0.5;
        out.push_back(r);
    }
    return out;
}

// The file: its header, the samples, a marker sample without a measurement and a broken line.
std::string dataFile(const std::vector<Treading>& readings, const Tformat& format) {
    auto text = [&](std::int64_t seconds) {
        const auto t = static_cast<std::time_t>(seconds);
        std::tm local{};
        localtime_r(&t, &local);
        return format(local);
    };
    TlogHeader header;
    header.seaLevelOffset = 12.1;
    std::string file = formatLogHeader(text(readings[0].time), header);
    for (const Treading& r : readings) {
        const TlogSample s{r.D1,
                           r.D2,
                           *r.temperature,
                           *r.pressure,
                           *r.altitude,
                           r.humidity.value_or(9999.9),
                           r.humidityTemperature.value_or(9999.9)};
        file += formatLogSample(text(r.time), s);
    }
    file += formatLogSample(text(readings.back().time + 1),
                            TlogSample{0, 0, 999.9, 9999.9, -1000, 9999.9, 9999.9});
    return file + text(readings.back().time + 2) + ";1;2;x\r\n";
}

struct TarchiveImport : ArchiveRig {
    TarchiveImport() {
        setenv("TZ", "Europe/Berlin", 1); // local time, with its summer time
        tzset();
    }
    ~TarchiveImport() override {
        unsetenv("TZ");
        tzset();
    }
};

TEST_F(TarchiveImport, EachLocalesFileGivesTheReadingsThatMadeIt) {
    // 2026-03-05 00:10 local: day and month below 13 tell no order; 2026-11-20 does.
    for (const std::int64_t from : {std::int64_t(1'772'665'800), std::int64_t(1'795'129'800)}) {
        const std::vector<Treading> readings = fileReadings(from);
        for (const auto& [locale, format] : Locales) {
            if (from == 1'772'665'800 && locale == std::string("es_ES desktop")) continue;
            std::filesystem::remove(path);
            std::ofstream(dir.file("samples.dat"), std::ios::binary) << dataFile(readings, format);
            auto archive = open();
            const TimportResult first =
                importDataFile(*archive, dir.file("samples.dat"), [](const std::string&) {});
            ASSERT_TRUE(first.read) << locale;
            EXPECT_EQ(first.added, readings.size()) << locale;
            EXPECT_EQ(first.withoutMeasurement, 1u) << locale;
            EXPECT_EQ(first.unreadable, std::vector<int>{31 + int(readings.size()) + 2}) << locale;
            const TimportResult again =
                importDataFile(*archive, dir.file("samples.dat"), [](const std::string&) {});
            EXPECT_EQ(again.added, 0u) << locale;
            EXPECT_EQ(again.already, readings.size()) << locale;
            TarchiveReader reader(path);
            const std::vector<ThistoryBucket> rows = reader.rows(0, 0, from * 2);
            ASSERT_EQ(rows.size(), readings.size()) << locale;
            for (std::size_t i = 0; i < rows.size(); ++i) {
                ASSERT_EQ(rows[i].start, readings[i].time) << locale << " " << i;
                const Tvalues want = valuesOf(readings[i]);
                for (std::size_t q = 0; q < want.size(); ++q) {
                    ASSERT_EQ(rows[i].quantities[q].has_value(), want[q].has_value())
                        << locale << " " << i << " " << q;
                    if (want[q]) {
                        EXPECT_NEAR(rows[i].quantities[q]->mean, *want[q], 1e-9)
                            << locale << " " << i << " " << q;
                    }
                }
            }
        }
    }
}

// The data files of a scripted run kept beside the station's tests, written in UTC with the C
// locale: the logger's (measured samples only) and the desktop program's (every sample).
TEST_F(TarchiveImport, TheReferenceDataFilesAreReadWhole) {
    setenv("TZ", "UTC", 1);
    tzset();
    for (const char* name : {"logger_run.dat", "desktop_run.dat"}) {
        std::filesystem::remove(path);
        const std::string file = std::string(CORV_STATION_DATA) + "/" + name;
        std::vector<std::string> lines;
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);)
            if (!line.empty() && line[0] != '#' && line != "\r") lines.push_back(line);
        std::size_t measured = 0;
        for (const std::string& line : lines)
            measured += line.find(";9999.90;") == std::string::npos ? 1 : 0;
        auto archive = open();
        const TimportResult result = importDataFile(*archive, file, [](const std::string&) {});
        EXPECT_TRUE(result.unreadable.empty()) << name;
        EXPECT_EQ(result.added + result.already, measured) << name;
        EXPECT_EQ(result.withoutMeasurement, lines.size() - measured) << name;
        TarchiveReader reader(path);
        EXPECT_EQ(reader.rows(0, 0, INT64_MAX).front().start, 1'780'000'000 + 2)
            << name; // 20:26:42
    }
}

} // namespace
