// The logger program with its archive against the module emulator program on a real pty:
// killed at random moments, the archive whole and behind the data file by at most the last
// reading; a file that may grow no more stops the archive alone.
#include "logger/LoggerProgram.h"
#include "logger/archive/Archive.h"
#include "logger/archive/DataFileText.h"
#include "logger/archive/Sqlite.h"

#include <signal.h>
#include <sys/resource.h>

#include <cstdlib>
#include <random>
#include <set>

namespace {

// The times of the data file's readings; the file must hold nothing else.
std::vector<std::int64_t> dataFileTimes(const std::string& file) {
    const TdataFileContents contents = readDataFileText(readWhole(file));
    EXPECT_TRUE(contents.unreadable.empty()) << file;
    std::vector<std::int64_t> times;
    for (const Treading& r : contents.readings)
        times.push_back(r.time);
    return times;
}

// The archive passes the integrity check, its summaries (made whole as the next start makes
// them) count every raw row; the times of its raw rows.
std::set<std::int64_t> archiveTimes(const std::string& file) {
    Tarchive{file, 31, [](const std::string&) {}};
    Tdatabase db(file, false);
    for (const char* level : {"minute", "hour", "day"})
        EXPECT_EQ(db.integer(std::string("SELECT total(qfe_count) FROM ") + level),
                  db.integer("SELECT count(*) FROM raw"))
            << level;
    Tstatement check(db, "PRAGMA integrity_check");
    EXPECT_TRUE(check.step() && check.text(0) == "ok") << file;
    check.reset();
    std::set<std::int64_t> times;
    Tstatement rows(db, "SELECT time FROM raw");
    while (rows.step())
        times.insert(rows.integer(0));
    return times;
}

// One emulator and one logger after the other on it, each killed at a random moment: every
// other one anywhere from its start on (most in the search), the others within 1.5 s after
// their first reading, whatever the load makes the search take.
struct TkilledRun : LoggerProgram {
    void TestBody() override {}
    void startAfresh(std::mt19937& random) {
        startLogger({"--verbose"});
        afterWriting = !afterWriting;
        killAt = afterWriting ? Never : later(random, 200, 3000);
    }
    // Sets the moment of a kill after writing once the run has written.
    void watch(std::mt19937& random) {
        bool whole = false;
        if (killAt == Never && samples("samples.dat", whole).size() > readings)
            killAt = later(random, 0, 1500);
    }
    // After a kill: every reading of the data file is in the archive, but the last of each run.
    void check() {
        const std::vector<std::int64_t> file = dataFileTimes(dir.file("samples.dat"));
        if (!file.empty()) lastOfRun.insert(file.back());
        const std::set<std::int64_t> archive = archiveTimes(dir.file("samples.sqlite"));
        for (std::int64_t t : file)
            EXPECT_TRUE(archive.contains(t) || lastOfRun.contains(t)) << t << loggerErrors();
        for (std::int64_t t : archive)
            EXPECT_TRUE(std::find(file.begin(), file.end(), t) != file.end()) << t;
        readings = file.size();
    }
    static std::chrono::steady_clock::time_point later(std::mt19937& random, int from, int to) {
        return std::chrono::steady_clock::now() +
               std::chrono::milliseconds(std::uniform_int_distribution<int>(from, to)(random));
    }
    static constexpr std::chrono::steady_clock::time_point Never =
        std::chrono::steady_clock::time_point::max();
    std::chrono::steady_clock::time_point killAt;
    bool afterWriting = true;
    std::set<std::int64_t> lastOfRun;
    std::size_t readings = 0;
};

int killCount() {
    const char* text = std::getenv("CORV_ARCHIVE_KILLS");
    return text ? std::atoi(text) : 50;
}

} // namespace

// The kills are spread over four emulators with a logger each, for the search's pause of two
// seconds before the first reading.
TEST(ArchiveProgram, KilledAtRandomMomentsTheArchiveIsWholeAndHoldsTheReadings) {
    setenv("TZ", "UTC", 1); // the data file's local times, for the logger and the reading back
    tzset();
    std::mt19937 random(std::random_device{}());
    std::vector<std::unique_ptr<TkilledRun>> runs;
    for (int i = 0; i < 4; ++i) {
        runs.push_back(std::make_unique<TkilledRun>());
        runs.back()->startEmulator();
        runs.back()->startAfresh(random);
    }
    for (int kills = 0; kills < killCount();) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        for (auto& run : runs) {
            run->watch(random);
            if (std::chrono::steady_clock::now() < run->killAt || kills >= killCount()) continue;
            run->logger.reset(); // SIGKILL
            ++kills;
            run->check();
            run->startAfresh(random);
        }
    }
    for (auto& run : runs)
        EXPECT_GT(run->readings, 0u);
}

// The archive may grow no more (a full disk): one line says so, and the logger goes on measuring
// into its data file. The limit and SIGXFSZ ignored are inherited by the logger.
TEST_F(LoggerProgram, AnArchiveThatCannotGrowStopsAloneWithOneLine) {
    setenv("TZ", "UTC", 1);
    tzset();
    startEmulator();
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit tight = old;
    tight.rlim_cur = 48 * 1024;
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &tight);
    startLogger();
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);
    auto archiveLines = [this] {
        const Lines said = textLines(loggerErrors());
        return std::count_if(said.begin(), said.end(), [](const std::string& line) {
            return line.find("archive") != std::string::npos;
        });
    };
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (archiveLines() == 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    bool whole = false;
    const std::size_t stoppedAt = samples("samples.dat", whole).size();
    ASSERT_TRUE(waitForSamples("samples.dat", stoppedAt + 2)) << loggerErrors();
    EXPECT_EQ(archiveLines(), 1) << loggerErrors();
    EXPECT_EQ(logger->wait(10), -1); // still running
    const std::set<std::int64_t> archive = archiveTimes(dir.file("samples.sqlite"));
    EXPECT_GT(archive.size(), 0u);
    EXPECT_LT(archive.size(), dataFileTimes(dir.file("samples.dat")).size() - 1);
}

// A reader in the middle of a read (the sqlite3 shell, a dashboard) holds the logger up in
// nothing: the readings after it went on into the archive.
TEST_F(LoggerProgram, AReaderOfTheArchiveHoldsTheLoggerUpInNothing) {
    setenv("TZ", "UTC", 1);
    tzset();
    startEmulator();
    startLogger();
    ASSERT_TRUE(waitForSamples("samples.dat", 2)) << loggerErrors();
    Tdatabase reader(dir.file("samples.sqlite"), true);
    reader.exec("BEGIN");
    const std::int64_t seen = reader.integer("SELECT count(*) FROM raw");
    ASSERT_TRUE(waitForSamples("samples.dat", 6)) << loggerErrors();
    EXPECT_EQ(reader.integer("SELECT count(*) FROM raw"), seen); // its snapshot
    const std::vector<std::int64_t> file = dataFileTimes(dir.file("samples.dat"));
    Tdatabase now(dir.file("samples.sqlite"), true);
    for (std::size_t i = 0; i + 1 < file.size(); ++i)
        EXPECT_EQ(now.integer("SELECT count(*) FROM raw WHERE time = " + std::to_string(file[i])),
                  1)
            << file[i] << loggerErrors();
    EXPECT_EQ(loggerErrors().find("archive"), std::string::npos) << loggerErrors();
}

// An archive the logger will not touch (a newer schema): one line, the file left as it is, and
// measuring into the data file goes on.
TEST_F(LoggerProgram, AnArchiveRefusedAtTheStartIsSaidAndMeasuringGoesOn) {
    setenv("TZ", "UTC", 1);
    tzset();
    {
        Tdatabase newer(dir.file("samples.sqlite"), false);
        newer.exec("CREATE TABLE raw(time INTEGER PRIMARY KEY); PRAGMA user_version = 2;");
    }
    const std::string bytes = readWhole(dir.file("samples.sqlite"));
    startEmulator();
    startLogger();
    ASSERT_TRUE(waitForSamples("samples.dat", 2)) << loggerErrors();
    const Lines said = textLines(loggerErrors());
    EXPECT_EQ(std::count_if(said.begin(), said.end(),
                            [](const std::string& line) {
                                return line.find("archive") != std::string::npos;
                            }),
              1)
        << loggerErrors();
    EXPECT_EQ(readWhole(dir.file("samples.sqlite")), bytes);
}
