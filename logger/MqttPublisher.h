#pragma once

#include "logger/MqttMessages.h"
#include "station/Reading.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

struct mosquitto;

struct TmqttSettings {
    std::string host = "localhost";
    int port = 1883;
    TmqttStation station;
    std::string user;     // empty: no credentials
    std::string password; // read from a file, never from the command line
    std::string caFile;   // empty: no TLS
    int keepAlive = 30;   // [s]
    // Back-off between reconnection attempts [s]: doubles from the first to the last.
    int reconnectFirst = 1;
    int reconnectLast = 60;
    // A broker that took the connection but has not accepted the session by then is given up
    // on for this attempt [s].
    int answerWait = 10;
};

// Publishes the samples of one station to an MQTT broker: a retained JSON state per sample,
// "online"/"offline" on the status topic and the discovery configs of the home-automation
// system, sent again whenever that system announces itself. The status is "online" while the
// module measures: from its first sample until it is lost, and "offline" otherwise, on a clean
// end and, as the last will, when the program dies.
// One thread of its own drives the client (the library allows only one per client, TLS
// included): it connects, runs the network loop and reconnects with back-off. publish() and
// moduleLost() only queue a message and never wait for the broker. While the broker is away
// only the newest state is kept; it goes out on reconnection.
class TmqttPublisher : public TreadingSink {
public:
    using Tlog = std::function<void(const std::string& line)>;

    TmqttPublisher(TmqttSettings settings, Tlog log);
    ~TmqttPublisher() override;
    TmqttPublisher(const TmqttPublisher&) = delete;
    TmqttPublisher& operator=(const TmqttPublisher&) = delete;

    // Sets the client up and starts connecting. False, with the reason, only for a setting the
    // client cannot use (a CA file it cannot read); a broker that is not there is no error.
    bool start(std::string& error);
    void publish(const Treading& reading);
    // A measured reading is published; one without pressure or temperature is not.
    void reading(const Treading& reading) override {
        if (reading.measured()) publish(reading);
    }
    // The module stopped measuring: the status says "offline" until the next sample.
    void moduleLost() override;
    // Says "offline", disconnects and ends the client's thread. Waits at most about 2 s.
    void stop();
    bool connected() const;

private:
    static void onConnect(mosquitto* client, void* self, int rc);
    static void onDisconnect(mosquitto* client, void* self, int rc);
    static void onPublish(mosquitto* client, void* self, int mid);
    static void onLog(mosquitto* client, void* self, int level, const char* text);
    static void onMessage(mosquitto* client, void* self, const struct mosquitto_message* message);
    void run();
    bool session();
    bool pause(int seconds);
    void waitForAnswer(bool& gaveUp);
    void farewell();
    bool stopRequested();
    void report(const std::string& problem);
    void connectedNow();
    void refused(int rc);
    void ended(bool gaveUp);
    void sent(int mid);
    void announced();
    void sendStatus();
    bool send(const TmqttMessage& message, int* mid = nullptr);
    void sendAll(const std::vector<TmqttMessage>& messages);
    void sendState();
    std::string broker() const;
    bool configure(std::string& error);

    TmqttSettings settings;
    Tlog log;
    mosquitto* client = nullptr;
    bool running = false;
    std::thread worker;
    mutable std::mutex lock;
    std::condition_variable published;
    std::condition_variable wake;
    bool stopping = false;
    bool isConnected = false;
    bool moduleUp = false; // from the module's first sample until it is lost
    // Of the worker's current session only.
    std::chrono::steady_clock::time_point attemptStart;
    bool accepted = false;
    // Only for the one line per problem; never held while calling the client library, whose
    // log may call in at any time.
    std::mutex reportLock;
    bool problemReported = false;
    bool humidity = false;
    bool products = false; // the readings carry the pressure products
    std::string lastState; // the newest state, "" before the first sample
    bool lastStateOut = true;
    int lastStateMid = -1;
    int offlineMid = -1;
    bool offlineOut = false;
};
