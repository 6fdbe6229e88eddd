// The logger program publishing to a real broker while it measures with the module emulator:
// what a subscriber sees, and what a broker that goes away or refuses the logger changes.
#include "HomeAssistantView.h"
#include "LoggerProgram.h"
#include "MqttBroker.h"
#include "MqttSubscriber.h"
#include "support/LastOf.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

const std::string StateTopic = "corvasine/lab/state";
const std::string StatusTopic = "corvasine/lab/status";

// The numbers of a state message by key, as their JSON text.
std::map<std::string, std::string> numbersOf(const std::string& json) {
    static const std::regex member(R"re("([a-z_0-9]+)":(-?[0-9.]+))re");
    std::map<std::string, std::string> out;
    for (auto it = std::sregex_iterator(json.begin(), json.end(), member);
         it != std::sregex_iterator(); ++it)
        out[(*it)[1]] = (*it)[2];
    return out;
}

// The values of a data-file line under the keys of the state message.
std::map<std::string, std::string> numbersOfLine(const std::string& line) {
    static const char* const keys[] = {"d1",
                                       "d2",
                                       "pressure_mbar",
                                       "temperature_c",
                                       "altitude_m",
                                       "humidity_percent",
                                       "humidity_temperature_c"};
    const std::vector<std::string> f = fields(line);
    std::map<std::string, std::string> out;
    for (std::size_t i = 1; i < f.size() && i <= std::size(keys); ++i)
        out[keys[i - 1]] = f[i];
    return out;
}

struct LoggerMqtt : LoggerProgram {
    void SetUp() override { ASSERT_TRUE(broker.start()); }

    void startPublishing(std::vector<std::string> extra = {}) {
        startEmulator();
        std::vector<std::string> args{"--mqtt", "127.0.0.1:" + std::to_string(broker.port()),
                                      "--station", "lab"};
        args.insert(args.end(), extra.begin(), extra.end());
        startLogger(args);
    }
    bool statesAtLeast(const TtestSubscriber& subscriber, std::size_t n) {
        return subscriber.waitFor(
            [&](const std::vector<TreceivedMessage>& all) {
                return std::count_if(all.begin(), all.end(), [](const TreceivedMessage& m) {
                           return m.topic == StateTopic;
                       }) >= static_cast<long>(n);
            },
            std::chrono::seconds(30));
    }
    // Every state message is a sample of the data file, in the file's order; returns how many
    // of the file's samples were found.
    std::size_t statesFoundInTheFile(const TtestSubscriber& subscriber) {
        bool whole = false;
        const Lines lines = samples("samples.dat", whole);
        std::size_t next = 0;
        std::size_t found = 0;
        for (const TreceivedMessage& state : subscriber.on(StateTopic)) {
            const auto numbers = numbersOf(state.payload);
            while (next < lines.size() && !matches(numbers, numbersOfLine(lines[next])))
                ++next;
            EXPECT_LT(next, lines.size()) << "not in the data file: " << state.payload;
            if (next == lines.size()) break;
            ++next;
            ++found;
        }
        return found;
    }
    static bool matches(const std::map<std::string, std::string>& state,
                        const std::map<std::string, std::string>& line) {
        for (const auto& [key, value] : line) {
            const auto it = state.find(key);
            if (it == state.end() || it->second != value) return false;
        }
        return true;
    }
    std::size_t sampleCount() {
        bool whole = false;
        return samples("samples.dat", whole).size();
    }

    TtestBroker broker;
};

} // namespace

TEST_F(LoggerMqtt, TheStationAppearsOnlineWithItsConfigsAndOneStatePerSampleOfTheDataFile) {
    TtestSubscriber subscriber(broker.port());
    ASSERT_TRUE(subscriber.waitSubscribed());
    startPublishing();
    ASSERT_TRUE(statesAtLeast(subscriber, 4)) << loggerErrors();
    logger->signal(SIGTERM);
    EXPECT_EQ(logger->wait(), 0) << loggerErrors();
    EXPECT_TRUE(subscriber.waitForLast(StatusTopic, "offline"));

    const std::vector<TreceivedMessage> status = subscriber.on(StatusTopic);
    ASSERT_GE(status.size(), 2u);
    EXPECT_EQ(status[status.size() - 2].payload, "online");
    std::vector<std::string> configs;
    for (const TreceivedMessage& m : subscriber.messages())
        if (m.topic.starts_with("homeassistant/sensor/")) {
            configs.push_back(m.topic);
            EXPECT_NE(m.payload.find("\"state_topic\":\"" + StateTopic + "\""), std::string::npos)
                << m.payload;
        }
    EXPECT_EQ(configs.size(),
              17u); // eight values, the humidity sensor's two, seven pressure products

    // Every sample of the file went out, once and with the file's numbers.
    const std::vector<TreceivedMessage> states = subscriber.on(StateTopic);
    EXPECT_EQ(statesFoundInTheFile(subscriber), sampleCount());
    EXPECT_EQ(states.size(), sampleCount());
    for (const TreceivedMessage& state : states) {
        EXPECT_EQ(state.payload.find("9999.9"), std::string::npos) << state.payload;
        EXPECT_NE(state.payload.find("\"humidity_percent\":"), std::string::npos);
    }
    EXPECT_NE(loggerErrors().find("MQTT: connected to 127.0.0.1:" + std::to_string(broker.port()) +
                                  ", publishing on " + StateTopic),
              std::string::npos)
        << loggerErrors();

    // Who subscribes later finds the station on the broker: offline, its configs (and the storm
    // alarm's binary sensor), its last state.
    TtestSubscriber late(broker.port());
    ASSERT_TRUE(late.waitFor([&](const std::vector<TreceivedMessage>& all) {
        return all.size() >= configs.size() + 3;
    }));
    ASSERT_EQ(late.on(StateTopic).size(), 1u);
    EXPECT_EQ(late.on(StateTopic)[0].payload, lastOf(states).payload);
    ASSERT_EQ(late.on(StatusTopic).size(), 1u);
    EXPECT_EQ(late.on(StatusTopic)[0].payload, "offline");
    for (const std::string& topic : configs)
        EXPECT_EQ(late.on(topic).size(), 1u) << topic;
    for (const TreceivedMessage& m : late.messages())
        EXPECT_TRUE(m.retained) << m.topic;
}

// The broker killed and started again on the same port: the data file goes on without a gap,
// the logger connects again by itself and publishes the newest sample at once.
TEST_F(LoggerMqtt, ABrokerThatGoesAwayCostsNoSampleAndPublishingResumes) {
    startPublishing();
    {
        TtestSubscriber before(broker.port());
        ASSERT_TRUE(statesAtLeast(before, 2)) << loggerErrors();
    }
    broker.kill(SIGKILL);
    const std::size_t whenKilled = sampleCount();
    ASSERT_TRUE(waitForSamples("samples.dat", whenKilled + 3)) << loggerErrors();
    ASSERT_TRUE(broker.start());
    TtestSubscriber after(broker.port());
    ASSERT_TRUE(after.waitSubscribed());
    ASSERT_TRUE(after.waitFor(StatusTopic, "online", std::chrono::seconds(30))) << loggerErrors();
    const std::size_t resumedAt = sampleCount();
    ASSERT_TRUE(statesAtLeast(after, 3)) << loggerErrors();
    logger->signal(SIGTERM);
    EXPECT_EQ(logger->wait(), 0) << loggerErrors();

    // The broker restarted empty: what it has came after the restart, all of it from the file.
    EXPECT_GE(statesFoundInTheFile(after), 3u);
    EXPECT_LE(after.on(StateTopic).size(), sampleCount() - resumedAt + 2);
    bool whole = false;
    const Lines lines = samples("samples.dat", whole);
    EXPECT_TRUE(whole);
    for (const std::string& line : lines)
        EXPECT_TRUE(isWholeSample(line)) << line;
    const std::string lost = "MQTT: connection to 127.0.0.1:" + std::to_string(broker.port()) +
                             " lost; measuring goes on, retrying in the background";
    const Lines err = textLines(loggerErrors());
    EXPECT_EQ(std::count(err.begin(), err.end(), lost), 1) << loggerErrors();
}

// The module stops answering (its emulator stopped) and answers again: Home Assistant shows the
// values as unavailable while it is lost and again once it measures.
TEST_F(LoggerMqtt, HomeAssistantSeesTheModuleLostAndFoundAgain) {
    TtestSubscriber subscriber(broker.port());
    ASSERT_TRUE(subscriber.waitSubscribed());
    startPublishing();
    ASSERT_TRUE(statesAtLeast(subscriber, 2)) << loggerErrors();
    const std::string pressure = "corvasine-lab-pressure";
    const auto shown = [&] { return ThomeAssistantView(subscriber.messages()).state(pressure); };
    EXPECT_EQ(shown(), ThomeAssistantView::member(lastOf(subscriber.on(StateTopic)).payload,
                                                  "pressure_mbar"));

    emulator->signal(SIGSTOP);
    EXPECT_TRUE(subscriber.waitForLast(StatusTopic, "offline", std::chrono::seconds(60)))
        << loggerErrors();
    EXPECT_EQ(shown(), "unavailable");
    EXPECT_NE(loggerErrors().find("module lost"), std::string::npos) << loggerErrors();
    emulator->signal(SIGCONT);
    EXPECT_TRUE(subscriber.waitForLast(StatusTopic, "online", std::chrono::seconds(60)))
        << loggerErrors();
    EXPECT_NE(shown(), "unavailable");
    logger->signal(SIGTERM);
    EXPECT_EQ(logger->wait(), 0) << loggerErrors();
}

TEST_F(LoggerMqtt, AWrongPasswordGivesOneLineAndMeasuringGoesOn) {
    TtestBroker guarded("station", "right");
    ASSERT_TRUE(guarded.start());
    std::ofstream(dir.file("password")) << "wrong\n";
    startEmulator();
    startLogger({"--mqtt", "127.0.0.1:" + std::to_string(guarded.port()), "--station", "lab",
                 "--mqtt-user", "station", "--mqtt-password-file", "password"});
    ASSERT_TRUE(waitForSamples("samples.dat", 5)) << loggerErrors();
    logger->signal(SIGTERM);
    EXPECT_EQ(logger->wait(), 0) << loggerErrors();
    const Lines err = textLines(loggerErrors());
    const auto refused = std::count_if(err.begin(), err.end(), [](const std::string& line) {
        return line.starts_with("MQTT: ") && line.find("refused") != std::string::npos;
    });
    EXPECT_EQ(refused, 1) << loggerErrors();
    EXPECT_EQ(loggerErrors().find("wrong"), std::string::npos) << "the password was said";
}

TEST_F(LoggerMqtt, TheLastWillSaysOfflineWhenTheLoggerIsKilled) {
    TtestSubscriber subscriber(broker.port());
    ASSERT_TRUE(subscriber.waitSubscribed());
    startPublishing();
    ASSERT_TRUE(subscriber.waitFor(StatusTopic, "online", std::chrono::seconds(30)))
        << loggerErrors();
    logger->signal(SIGKILL);
    EXPECT_TRUE(subscriber.waitForLast(StatusTopic, "offline", std::chrono::seconds(60)));
}

TEST_F(LoggerMqtt, MqttOptionsAreCheckedBeforeAnythingStarts) {
    const struct {
        std::vector<std::string> args;
        std::string line;
    } cases[] = {
        {{"--station", "lab"}, "corvasine-logger: --station needs --mqtt HOST[:PORT]"},
        {{"--mqtt", "host:0"},
         "corvasine-logger: --mqtt: 'host:0' is not HOST or HOST:PORT with a port from 1 to 65535"},
        {{"--mqtt", "host", "--mqtt-user", "u", "--mqtt-password-file", "absent"},
         "corvasine-logger: --mqtt-password-file: absent: No such file or directory"},
    };
    for (const auto& c : cases) {
        ChildProcess run(CORV_LOGGER, c.args, dir.path, dir.file("bad.err"));
        EXPECT_EQ(run.wait(), 2) << c.line;
        EXPECT_EQ(textLines(readWhole(dir.file("bad.err"))), Lines{c.line});
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("samples.dat")));
}
