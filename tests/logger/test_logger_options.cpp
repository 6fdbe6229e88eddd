#include "links/Serial_enum.h"
#include "support/ParsedLoggerOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(LoggerOptions, DefaultsAndEveryOptionInBothSpellings) {
    const ParsedLoggerOptions none = parseLoggerArgs({});
    EXPECT_EQ(none.command, TloggerCommand::Run);
    EXPECT_EQ(none.options.settingsFile, "./setup.ini");
    EXPECT_EQ(none.options.dataFile, "./samples.dat");
    EXPECT_EQ(none.options.port, "");
    EXPECT_FALSE(none.options.verbose);

    const ParsedLoggerOptions all =
        parseLoggerArgs({"--settings", "a.ini", "--data=b.dat", "--port", "COM7", "--verbose"});
    EXPECT_EQ(all.command, TloggerCommand::Run);
    EXPECT_EQ(all.options.settingsFile, "a.ini");
    EXPECT_EQ(all.options.dataFile, "b.dat");
    EXPECT_EQ(all.options.port, "COM7");
    EXPECT_TRUE(all.options.verbose);

    EXPECT_EQ(parseLoggerArgs({"--version"}).command, TloggerCommand::Version);
    EXPECT_EQ(parseLoggerArgs({"--help", "--version"}).command, TloggerCommand::Help);
    EXPECT_EQ(parseLoggerArgs({"--version", "--help"}).command, TloggerCommand::Help);
}

TEST(LoggerOptions, PortsByNameAndByDevicePath) {
    EXPECT_EQ(parseLoggerArgs({"--port", "LPT1"}).options.port, "LPT1");
    EXPECT_EQ(parseLoggerArgs({"--port", "/dev/parport0"}).options.port, "LPT1");
    EXPECT_EQ(parseLoggerArgs({"--port", "/dev/ttyS0"}).options.port, "COM1");
    EXPECT_EQ(parseLoggerArgs({"--port", "/dev/ttyUSB0"}).options.port, "COM33");
    EXPECT_EQ(parseLoggerArgs({"--port", "/dev/ttyACM2"}).options.port, "COM67");
    EXPECT_EQ(parseLoggerArgs({"--port", serialRoots().emulated + "/COM243"}).options.port,
              "COM243");
    for (const char* bad : {"COM0", "COM256", "LPT2", "/dev/ttyUSB32", "/dev/null", "com3", ""}) {
        const ParsedLoggerOptions p = parseLoggerArgs({"--port", bad});
        EXPECT_EQ(p.command, TloggerCommand::Bad) << bad;
        EXPECT_EQ(p.error.rfind("--port", 0), 0u) << p.error;
    }
}

// Every refusal is one line that starts with the option (or the stray word) it is about.
TEST(LoggerOptions, BadOptionsAreRefusedWithOneLineNamingThem) {
    const struct {
        std::vector<std::string> args;
        std::string start;
    } cases[] = {
        {{"--bogus"}, "--bogus: "},
        {{"--verbose=yes"}, "--verbose: "},
        {{"--data"}, "--data: "},
        {{"--settings"}, "--settings: "},
        {{"--data", ""}, "--data: "},
        {{"--settings="}, "--settings: "},
        {{"-v"}, "-v: "},
        {{"samples.dat"}, "samples.dat: "},
    };
    for (const auto& c : cases) {
        const ParsedLoggerOptions p = parseLoggerArgs(c.args);
        EXPECT_EQ(p.command, TloggerCommand::Bad) << c.start;
        EXPECT_EQ(p.error.rfind(c.start, 0), 0u) << p.error;
        EXPECT_EQ(p.error.find('\n'), std::string::npos) << p.error;
    }
}

// The MQTT options go through the same command line, in any order among the logger's own; they
// are checked together once the last one is read, and never for --help.
TEST(LoggerOptions, MqttOptionsAmongTheLoggersOwn) {
    const ParsedLoggerOptions on =
        parseLoggerArgs({"--station", "garden", "--data", "g.dat", "--mqtt=broker.lan:1884",
                         "--mqtt-topic", "home/weather"});
    ASSERT_EQ(on.command, TloggerCommand::Run) << on.error;
    EXPECT_EQ(on.options.dataFile, "g.dat");
    ASSERT_TRUE(on.options.mqtt.enabled());
    const TmqttSettings& s = on.options.mqtt.settings();
    EXPECT_EQ(s.host, "broker.lan");
    EXPECT_EQ(s.port, 1884);
    EXPECT_EQ(s.station.name, "garden");
    EXPECT_EQ(s.station.prefix, "home/weather");

    EXPECT_FALSE(parseLoggerArgs({"--data", "x.dat"}).options.mqtt.enabled());
    const ParsedLoggerOptions alone = parseLoggerArgs({"--station", "garden"});
    EXPECT_EQ(alone.command, TloggerCommand::Bad);
    EXPECT_EQ(alone.error, "--station needs --mqtt HOST[:PORT]");
    EXPECT_EQ(parseLoggerArgs({"--mqtt", "b", "--mqtt-topic", "a/+"}).command, TloggerCommand::Bad);
    EXPECT_EQ(parseLoggerArgs({"--help", "--station", "garden"}).command, TloggerCommand::Help);
}
