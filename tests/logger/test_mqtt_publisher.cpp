// The publisher against a real broker on a free loopback port.
#include "logger/HomeAssistantView.h"
#include "logger/MqttBroker.h"
#include "logger/MqttPublisher.h"
#include "logger/MqttSubscriber.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

namespace {

using namespace std::chrono_literals;

TmqttSettings settingsFor(int port) {
    TmqttSettings s;
    s.host = "127.0.0.1";
    s.port = port;
    s.station = {"test", "roof"};
    s.reconnectFirst = 1;
    s.reconnectLast = 1;
    return s;
}

Treading sample(std::uint16_t d1, bool withHumidity = false) {
    Treading s;
    s.time = 1800000000 + d1;
    s.pressure = 960.0 + d1 / 100.0;
    s.seaLevelPressure = 1010.5;
    s.altitude = 420.25;
    s.temperature = 21.5;
    if (withHumidity) {
        s.humidity = 48.5;
        s.humidityTemperature = 21.0;
    }
    s.D1 = d1;
    s.D2 = 30000;
    return s;
}

bool hasD1(const TreceivedMessage& m, int d1) {
    return m.payload.find("\"d1\":" + std::to_string(d1) + ",") != std::string::npos;
}

// The D1 of every state message, in the order they arrived.
std::vector<int> stateD1s(const TtestSubscriber& sub) {
    std::vector<int> out;
    for (const TreceivedMessage& m : sub.on("test/roof/state"))
        for (int d1 = 0; d1 < 100; ++d1)
            if (hasD1(m, d1)) out.push_back(d1);
    return out;
}

class Tlines {
public:
    TmqttPublisher::Tlog sink() {
        return [this](const std::string& line) {
            std::lock_guard guard(lock);
            lines.push_back(line);
        };
    }
    int containing(const std::string& text) {
        std::lock_guard guard(lock);
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](auto& l) {
            return l.find(text) != std::string::npos;
        }));
    }

private:
    std::mutex lock;
    std::vector<std::string> lines;
};

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s) {
    auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

TEST(MqttPublisher, AnnouncesTheStationAndSendsOneStatePerSample) {
    TtestBroker broker;
    ASSERT_TRUE(broker.start());
    TtestSubscriber sub(broker.port());
    ASSERT_TRUE(sub.waitSubscribed());
    Tlines log;
    TmqttPublisher publisher(settingsFor(broker.port()), log.sink());
    std::string error;
    ASSERT_TRUE(publisher.start(error)) << error;
    // Connected but without a sample of the module yet: not available.
    ASSERT_TRUE(sub.waitFor("test/roof/status", "offline"));
    ASSERT_TRUE(publisher.connected());
    EXPECT_EQ(log.containing("connected to 127.0.0.1:" + std::to_string(broker.port())), 1);

    publisher.publish(sample(1));
    ASSERT_TRUE(sub.waitFor("test/roof/status", "online"));
    publisher.publish(sample(2, true));
    publisher.publish(sample(3, true));
    ASSERT_TRUE(sub.waitFor([](auto& all) {
        return std::any_of(all.begin(), all.end(), [](auto& m) { return hasD1(m, 3); });
    }));
    EXPECT_EQ(stateD1s(sub), (std::vector<int>{1, 2, 3}));
    auto first = sub.on("test/roof/state").front().payload;
    EXPECT_EQ(first.find("humidity"), std::string::npos);
    EXPECT_NE(first.find("\"pressure_mbar\":960.01,"), std::string::npos) << first;

    // The discovery configs, the humidity ones once a sample had humidity; all of them retained,
    // as a client that comes later sees.
    for (const auto& m : mqttBaseConfigs({"test", "roof"}))
        EXPECT_EQ(sub.on(m.topic).size(), 1u) << m.topic;
    for (const auto& m : mqttHumidityConfigs({"test", "roof"}))
        EXPECT_EQ(sub.on(m.topic).size(), 1u) << m.topic;
    TtestSubscriber late(broker.port());
    ASSERT_TRUE(late.waitFor("test/roof/status", "online"));
    ASSERT_TRUE(late.waitFor([](auto& all) {
        return std::any_of(all.begin(), all.end(), [](auto& m) { return hasD1(m, 3); });
    }));
    std::size_t configs = mqttBaseConfigs({"test", "roof"}).size() + 2;
    ASSERT_TRUE(late.waitFor([&](auto& all) {
        return std::count_if(all.begin(), all.end(), [](auto& m) {
                   return m.retained && m.topic.starts_with("homeassistant/sensor/");
               }) == static_cast<long>(configs);
    }));

    publisher.stop();
    // offline, online, offline.
    EXPECT_TRUE(sub.waitFor([](auto& all) {
        return std::count_if(all.begin(), all.end(),
                             [](auto& m) { return m.topic == "test/roof/status"; }) == 3 &&
               all.back().payload == "offline";
    }));
}

// What the home-automation system shows: unknown for a value the module did not give, every
// value unavailable while the module is lost, and the configs again when it announces itself.
TEST(MqttPublisher, HomeAssistantSeesMissingValuesAndALostModule) {
    TtestBroker broker;
    ASSERT_TRUE(broker.start());
    TtestSubscriber sub(broker.port());
    ASSERT_TRUE(sub.waitSubscribed());
    TmqttPublisher publisher(settingsFor(broker.port()), [](const std::string&) {});
    std::string error;
    ASSERT_TRUE(publisher.start(error)) << error;
    ASSERT_TRUE(waitUntil([&] { return publisher.connected(); }));
    Treading first = sample(1);
    first.seaLevelPressure.reset();
    publisher.publish(first);
    ASSERT_TRUE(sub.waitForLast("test/roof/status", "online"));
    ASSERT_TRUE(sub.waitForLast("test/roof/state", mqttStatePayload(first)));
    ThomeAssistantView view(sub.messages());
    EXPECT_EQ(view.entities(), 8u);
    EXPECT_EQ(view.state("test-roof-pressure"), "960.01");
    EXPECT_EQ(view.state("test-roof-sea_level_pressure"), "unknown");

    publisher.moduleLost();
    ASSERT_TRUE(sub.waitForLast("test/roof/status", "offline"));
    EXPECT_EQ(ThomeAssistantView(sub.messages()).state("test-roof-pressure"), "unavailable");
    publisher.publish(sample(2));
    ASSERT_TRUE(sub.waitForLast("test/roof/status", "online"));
    ASSERT_TRUE(sub.waitForLast("test/roof/state", mqttStatePayload(sample(2))));
    EXPECT_EQ(ThomeAssistantView(sub.messages()).state("test-roof-sea_level_pressure"), "1010.50");

    const std::string config = mqttBaseConfigs({"test", "roof"})[0].topic;
    sub.publish("homeassistant/status", "offline");
    sub.publish("homeassistant/status", "online");
    EXPECT_TRUE(sub.waitFor([&](auto& all) {
        return std::count_if(all.begin(), all.end(), [&](auto& m) { return m.topic == config; }) ==
               2;
    }));
}

TEST(MqttPublisher, ResumesAfterTheBrokerCameBackAndSendsOnlyTheNewestMissedState) {
    TtestBroker broker;
    ASSERT_TRUE(broker.start());
    Tlines log;
    TmqttPublisher publisher(settingsFor(broker.port()), log.sink());
    std::string error;
    ASSERT_TRUE(publisher.start(error)) << error;
    ASSERT_TRUE(waitUntil([&] { return publisher.connected(); }));
    publisher.publish(sample(1));

    broker.kill(SIGKILL);
    // The line follows the state change: wait for both.
    ASSERT_TRUE(waitUntil([&] { return !publisher.connected() && log.containing("lost") > 0; }));
    for (std::uint16_t d1 = 2; d1 <= 6; ++d1)
        publisher.publish(sample(d1));

    ASSERT_TRUE(broker.start());
    TtestSubscriber sub(broker.port());
    ASSERT_TRUE(sub.waitFor("test/roof/status", "online"));
    ASSERT_TRUE(sub.waitFor([](auto& all) {
        return std::any_of(all.begin(), all.end(), [](auto& m) { return hasD1(m, 6); });
    }));
    ASSERT_TRUE(waitUntil([&] { return publisher.connected(); }));
    publisher.publish(sample(7));
    ASSERT_TRUE(sub.waitFor([](auto& all) {
        return std::any_of(all.begin(), all.end(), [](auto& m) { return hasD1(m, 7); });
    }));
    EXPECT_EQ(stateD1s(sub), (std::vector<int>{6, 7}));
    EXPECT_EQ(log.containing("connected to"), 2);
    EXPECT_EQ(log.containing("lost"), 1);
}

TEST(MqttPublisher, FindsABrokerThatStartsAfterIt) {
    TtestBroker broker;
    Tlines log;
    TmqttPublisher publisher(settingsFor(broker.port()), log.sink());
    std::string error;
    ASSERT_TRUE(publisher.start(error)) << error;
    EXPECT_TRUE(waitUntil([&] { return log.containing("cannot reach 127.0.0.1:") == 1; }));
    publisher.publish(sample(1));
    publisher.publish(sample(2));
    ASSERT_TRUE(broker.start());
    TtestSubscriber sub(broker.port());
    ASSERT_TRUE(sub.waitFor([](auto& all) {
        return std::any_of(all.begin(), all.end(), [](auto& m) { return hasD1(m, 2); });
    }));
    EXPECT_EQ(stateD1s(sub), (std::vector<int>{2}));
}

// A port that takes connections and never answers (the kernel accepts them into the backlog),
// and one where nothing listens: each said in one line, with TLS as quickly as without.
TEST(MqttPublisher, SaysASilentBrokerAndAnAbsentOneQuickly) {
    TtestBroker tls;
    ASSERT_TRUE(tls.addTls());
    int silent = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(silent, 4), 0);
    socklen_t size = sizeof address;
    getsockname(silent, reinterpret_cast<sockaddr*>(&address), &size);
    const int silentPort = ntohs(address.sin_port);
    const struct {
        int port;
        std::string ca;
        std::string line;
    } cases[] = {
        {silentPort, "", "took the connection but does not answer"},
        {silentPort, tls.caFile(), "took the connection but does not answer"},
        {tls.port(), "", "cannot reach 127.0.0.1"},
        {tls.tlsPort(), tls.caFile(), "cannot reach 127.0.0.1"},
    };
    for (const auto& c : cases) {
        Tlines log;
        auto settings = settingsFor(c.port);
        settings.caFile = c.ca;
        settings.answerWait = 1;
        TmqttPublisher publisher(settings, log.sink());
        std::string error;
        ASSERT_TRUE(publisher.start(error)) << error;
        EXPECT_TRUE(waitUntil([&] { return log.containing(c.line) == 1; }, 2500ms))
            << c.port << " " << c.ca;
        EXPECT_EQ(log.containing(""), 1);
    }
    close(silent);
}

// Debian installs the broker where an ordinary user's PATH does not look.
TEST(MqttPublisher, TheTestBrokerIsFoundOutsideTheUsersPath) {
    std::string found = TtestBroker::brokerProgram("/nonexistent");
    EXPECT_TRUE(found == "/usr/sbin/mosquitto" || found == "/usr/local/sbin/mosquitto") << found;
}

TEST(MqttPublisher, WrongPasswordGivesOneLineAndTheRightOneConnects) {
    TtestBroker broker("station", "s3cret");
    ASSERT_TRUE(broker.start());
    Tlines log;
    auto settings = settingsFor(broker.port());
    settings.user = "station";
    settings.password = "wrong";
    TmqttPublisher publisher(settings, log.sink());
    std::string error;
    ASSERT_TRUE(publisher.start(error)) << error;
    ASSERT_TRUE(waitUntil([&] { return log.containing("refused") > 0; }));
    // Several attempts at one a second: still one line, and a sample is simply kept.
    std::this_thread::sleep_for(2500ms);
    publisher.publish(sample(1));
    EXPECT_EQ(log.containing("refused the connection (Connection Refused: not authorised.)"), 1);
    EXPECT_EQ(log.containing(""), 1);
    EXPECT_FALSE(publisher.connected());

    settings.password = "s3cret";
    TmqttPublisher right(settings, log.sink());
    ASSERT_TRUE(right.start(error)) << error;
    EXPECT_TRUE(waitUntil([&] { return right.connected(); }));
}

TEST(MqttPublisher, PublishesOverTlsWithTheGivenCaAndRefusesAnotherCertificate) {
    TtestBroker broker;
    ASSERT_TRUE(broker.addTls());
    ASSERT_TRUE(broker.start());
    TtestSubscriber sub(broker.port());
    ASSERT_TRUE(sub.waitSubscribed());
    Tlines log;
    auto settings = settingsFor(broker.tlsPort());
    settings.caFile = broker.caFile();
    TmqttPublisher publisher(settings, log.sink());
    std::string error;
    ASSERT_TRUE(publisher.start(error)) << error;
    ASSERT_TRUE(waitUntil([&] { return publisher.connected(); }));
    publisher.publish(sample(1));
    EXPECT_TRUE(sub.waitFor([](auto& all) {
        return std::any_of(all.begin(), all.end(), [](auto& m) { return hasD1(m, 1); });
    }));

    // A CA that did not sign the broker's certificate: no connection, one line.
    TtestBroker other;
    ASSERT_TRUE(other.addTls());
    settings.caFile = other.caFile();
    settings.station.name = "other";
    Tlines otherLog;
    TmqttPublisher wrong(settings, otherLog.sink());
    ASSERT_TRUE(wrong.start(error)) << error;
    ASSERT_TRUE(waitUntil([&] { return otherLog.containing("") > 0; }));
    std::this_thread::sleep_for(1500ms);
    EXPECT_FALSE(wrong.connected());
    EXPECT_EQ(otherLog.containing(""), 1);
    EXPECT_EQ(otherLog.containing("certificate verify failed"), 1);
    EXPECT_TRUE(sub.on("test/other/status").empty());
}

TEST(MqttPublisher, LastWillSaysOfflineWhenThePublisherIsKilled) {
    TtestBroker broker;
    ASSERT_TRUE(broker.start());
    pid_t child = fork();
    if (child == 0) {
        TmqttPublisher publisher(settingsFor(broker.port()), [](const std::string&) {});
        std::string error;
        if (publisher.start(error)) publisher.publish(sample(1));
        pause();
        _exit(0);
    }
    TtestSubscriber sub(broker.port());
    ASSERT_TRUE(sub.waitFor("test/roof/status", "online"));
    ::kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(sub.waitFor("test/roof/status", "offline", 5s));
}

} // namespace
