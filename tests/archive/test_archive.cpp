// The archive's writer: rows and summaries as readings arrive, the kept raw span, the schema
// it refuses to touch, and a write that fails.
#include "ArchiveRig.h"

#include <signal.h>
#include <sys/resource.h>

#include <fstream>
#include <type_traits>

namespace {

constexpr std::int64_t Base = 1'790'000'000; // a Tuesday, 13:33:20 UTC

using TarchiveTest = ArchiveRig;

// Every row of every level holds the summary of exactly the readings of its stretch, whether
// they came one by one, in one transaction, or across a reopening of the file mid-minute.
TEST_F(TarchiveTest, EachLevelsRowsSumUpTheReadingsOfTheirStretch) {
    const std::vector<Treading> readings = wandering(Base, Base + 2 * 86400, 13);
    const std::size_t half = readings.size() / 2;
    {
        auto archive = open();
        for (std::size_t i = 0; i < 400; ++i)
            archive->reading(readings[i]);
        EXPECT_EQ(archive->add(std::span(readings).subspan(400, half - 400)), half - 400);
    }
    auto archive = open();
    EXPECT_EQ(archive->add(std::span(readings).subspan(half)), readings.size() - half);
    TarchiveReader reader(path);
    for (int level = 0; level < int(Levels.size()); ++level) {
        const std::vector<ThistoryBucket> rows = reader.rows(level, 0, Base * 2);
        ASSERT_FALSE(rows.empty());
        std::int64_t count = 0;
        for (const ThistoryBucket& row : rows) {
            expectSummaries(row.quantities,
                            bruteSummary(readings, row.start, row.start + row.seconds),
                            Levels[std::size_t(level)].table + std::to_string(row.start));
            count += row.quantities[0]->count;
        }
        EXPECT_EQ(count, std::int64_t(readings.size())) << Levels[std::size_t(level)].table;
    }
    EXPECT_TRUE(said.empty());
}

// Killed mid-minute (the files copied while the archive is open): the summaries of the newest
// minute, hour and day, written only when a minute begins, are made again at the next start.
TEST_F(TarchiveTest, AfterAKillTheNewestSummariesAreMadeAgainFromTheRawRows) {
    const std::vector<Treading> readings = wandering(Base, Base + 86400 + 3600 + 90, 7);
    auto archive = open<TarchiveWriter>();
    for (const Treading& r : readings)
        archive->reading(r);
    archive->flush();
    const std::string killed = dir.file("killed.sqlite");
    std::filesystem::copy_file(path, killed);
    std::filesystem::copy_file(path + "-wal", killed + "-wal");
    Tarchive{killed, 31, [](const std::string&) {}};
    TarchiveReader reader(killed);
    for (int level = 1; level < int(Levels.size()); ++level) {
        const std::vector<ThistoryBucket> rows = reader.rows(level, 0, Base * 2);
        ASSERT_FALSE(rows.empty());
        const ThistoryBucket& newest = rows.back();
        expectSummaries(newest.quantities,
                        bruteSummary(readings, newest.start, newest.start + newest.seconds),
                        Levels[std::size_t(level)].table);
    }
}

// A second in the archive already adds nothing; nor does a reading older than the raw span whose
// minute is summed up already (importing a file twice), though its raw row has gone.
TEST_F(TarchiveTest, WhatIsInAlreadyIsNotSummedTwiceAndOldRawRowsGo) {
    const std::vector<Treading> readings = wandering(Base, Base + 3 * 86400, 60);
    auto archive = open(1);
    for (const Treading& r : readings)
        archive->reading(r);
    archive->add({}); // the newest minute's summaries written
    TarchiveReader reader(path);
    const std::vector<ThistoryBucket> raw = reader.rows(0, 0, Base * 2);
    ASSERT_FALSE(raw.empty());
    const std::int64_t newest = readings.back().time;
    EXPECT_GE(raw.front().start, newest - 86400 - 3600); // removed once an hour
    EXPECT_LT(raw.front().start, newest - 86400 + 3600);
    EXPECT_EQ(raw.back().start, newest);

    const Tsummaries before = reader.summary(0, Base * 2);
    ASSERT_EQ(before[0]->count, std::int64_t(readings.size()));
    EXPECT_EQ(archive->add(readings), 0u);
    archive = open(1); // a new connection, as a second import runs
    EXPECT_EQ(archive->add(readings), 0u);
    expectSummaries(reader.summary(0, Base * 2), before, "after adding twice");
}

// A file of another schema, a database that is no archive, a file that is no database: refused
// with one line naming the file, by the writer and the reader, and left byte for byte.
TEST_F(TarchiveTest, AFileOfAnotherSchemaIsRefusedAndLeftAsItIs) {
    struct Case {
        const char* what;
        std::string sql;
    };
    const Case cases[] = {
        {"newer schema", "CREATE TABLE raw(time INTEGER PRIMARY KEY); PRAGMA user_version = 2;"},
        {"no archive", "CREATE TABLE notes(text TEXT);"},
        {"not a database", ""},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(path);
        if (c.sql.empty()) {
            std::ofstream(path) << "#    Datafile\r\n" << std::string(5000, 'x');
        } else {
            Tdatabase db(path, false);
            db.exec(c.sql);
        }
        const std::string bytes = readWhole(path);
        try {
            open();
            ADD_FAILURE() << c.what << ": opened";
        } catch (const TarchiveRefused& e) {
            const std::string line = e.what();
            EXPECT_NE(line.find(path), std::string::npos) << line;
            EXPECT_NE(line.find("left as it is"), std::string::npos) << line;
            EXPECT_EQ(line.find('\n'), std::string::npos) << line;
        }
        EXPECT_THROW(TarchiveReader{path}, TarchiveRefused) << c.what;
        EXPECT_EQ(readWhole(path), bytes) << c.what;
    }
}

// The file may grow no more (a full disk): one line, said on the thread that hands the readings
// over (the writer's own never says it), the archive stops, the caller goes on, and what was
// committed before is whole; written on the calling thread and by the writer.
TEST_F(TarchiveTest, AWriteThatFailsStopsTheArchiveWithOneLine) {
    const std::vector<Treading> readings = wandering(Base, Base + 86400, 1);
    const auto settle = [](auto& archive) { // each reading a transaction of its own
        if constexpr (requires { archive.flush(); }) archive.flush();
    };
    const auto check = [&](auto type, const char* what) {
        path = dir.file(std::string(what) + ".sqlite");
        said.clear();
        auto archive = open<typename decltype(type)::type>();
        for (std::size_t i = 0; i < 100; ++i)
            archive->reading(readings[i]);
        settle(*archive);
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
        rlimit tight = old;
        tight.rlim_cur = std::filesystem::file_size(path) + 200'000;
        ::setrlimit(RLIMIT_FSIZE, &tight);
        std::size_t taken = 100;
        while (!archive->stopped() && taken < readings.size()) {
            archive->reading(readings[taken++]);
            settle(*archive);
        }
        ::setrlimit(RLIMIT_FSIZE, &old);
        ::signal(SIGXFSZ, oldHandler);
        ASSERT_TRUE(archive->stopped()) << what;
        archive->reading(readings[taken]);
        archive.reset();
        ASSERT_EQ(said.size(), 1u) << what;
        EXPECT_NE(said[0].find(path), std::string::npos) << said[0];
        EXPECT_EQ(saidElsewhere, 0) << what;
        Tdatabase db(path, false);
        EXPECT_EQ(db.integer("SELECT count(*) FROM raw"), std::int64_t(taken - 1)) << what;
        Tstatement integrity(db, "PRAGMA integrity_check");
        ASSERT_TRUE(integrity.step());
        EXPECT_EQ(integrity.text(0), "ok") << what;
    };
    check(std::type_identity<Tarchive>{}, "calling-thread");
    check(std::type_identity<TarchiveWriter>{}, "writer-thread");
}

} // namespace
