// The archive's options among the logger's: where the file is, the commands instead of
// measuring, and the combinations refused with one line naming an option.
#include "support/ParsedLoggerOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Command = TarchiveOptions::Tcommand;

TEST(ArchiveOptions, TheArchiveFileAndTheCommands) {
    struct Case {
        std::vector<std::string> args;
        bool enabled;
        std::string path; // with the data file given or not
        int keepRaw;
        Command command;
    };
    const Case cases[] = {
        {{}, true, "./samples.sqlite", 31, Command::Measure},
        {{"--data", "/var/lib/corvasine/run.log", "--keep-raw", "7"},
         true,
         "/var/lib/corvasine/run.sqlite",
         7,
         Command::Measure},
        {{"--data=x/y", "--archive", "a.db"}, true, "a.db", 31, Command::Measure},
        {{"--data", "/dev/null"}, true, "", 31, Command::Measure}, // no file beside a device
        {{"--no-archive"}, false, "./samples.sqlite", 31, Command::Measure},
        {{"--import", "a.dat", "b.dat", "--verbose", "c.dat"},
         true,
         "./samples.sqlite",
         31,
         Command::Import},
        {{"--export", "--format=jsonl", "--level", "hour", "--from", "2026-03-01", "--to",
          "2026-03-02T06:30Z"},
         true,
         "./samples.sqlite",
         31,
         Command::Export},
    };
    for (const Case& c : cases) {
        const ParsedLoggerOptions p = parseLoggerArgs(c.args);
        ASSERT_EQ(p.command, TloggerCommand::Run) << p.error;
        const TarchiveOptions& a = p.options.archive;
        EXPECT_EQ(a.enabled(), c.enabled) << c.args.size();
        EXPECT_EQ(a.path(p.options.dataFile), c.path);
        EXPECT_EQ(a.keepRawDays(), c.keepRaw);
        EXPECT_EQ(a.command(), c.command) << c.path;
    }
    const TarchiveOptions& imported = parseLoggerArgs(cases[5].args).options.archive;
    EXPECT_EQ(imported.importFiles(), (std::vector<std::string>{"a.dat", "b.dat", "c.dat"}));
    const TarchiveOptions& exported = parseLoggerArgs(cases[6].args).options.archive;
    EXPECT_EQ(exported.format(), TarchiveOptions::Tformat::Jsonl);
    EXPECT_EQ(exported.level(), 2);
    EXPECT_EQ(exported.from(), 1'772'323'200);                         // 2026-03-01 00:00 UTC
    EXPECT_EQ(exported.to(), 1'772'323'200 + 86400 + 6 * 3600 + 1800); // 2026-03-02 06:30
    EXPECT_EQ(parseLoggerArgs({"--export", "--to", "2026-03-01"}).options.archive.to(),
              1'772'323'200 + 86400); // a date alone: to the end of that day
}

TEST(ArchiveOptions, WhatCannotBeUsedIsRefusedNamingTheOption) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--keep-raw", "0"}, "--keep-raw"},
        {{"--keep-raw", "7d"}, "--keep-raw"},
        {{"--archive="}, "--archive"},
        {{"--archive", "a.db", "--no-archive"}, "--archive and --no-archive"},
        {{"--no-archive", "--export"}, "--no-archive"},
        {{"--import", "a.dat", "--export"}, "--import"},
        {{"--from", "2026-03-01"}, "--from"},
        {{"--export", "--from", "2026-3-1"}, "--from"},
        {{"--export", "--to", "2026-03-01T25:00"}, "--to"},
        {{"--export", "--from", "2026-03-02", "--to", "2026-03-01"}, "--to"},
        {{"--export", "--format", "xml"}, "--format"},
        {{"--export", "--level", "week"}, "--level"},
        {{"a.dat"}, "a.dat"},
    };
    for (const auto& [args, named] : cases) {
        const ParsedLoggerOptions p = parseLoggerArgs(args);
        EXPECT_EQ(p.command, TloggerCommand::Bad) << named;
        EXPECT_EQ(p.error.find(named), 0u) << p.error;
        EXPECT_EQ(p.error.find('\n'), std::string::npos) << p.error;
    }
}

} // namespace
