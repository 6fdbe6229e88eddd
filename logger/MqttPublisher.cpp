#include "logger/MqttPublisher.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Every message is retained and sent at QoS 0, so the client library never queues one for a
// connection that is gone: a message that did not go out is sent again on reconnection (the
// status, the configs, the newest state) or not at all (older states). The broker keeps the
// last will, so it may ask for an acknowledgement.
constexpr int qosMessages = 0;
constexpr int qosWill = 1;
constexpr auto offlineWait = std::chrono::seconds(2);
// How long one turn of the network loop waits for the socket [ms]: a queued message wakes it
// at once, a stop is seen within this time.
constexpr int loopWaitMs = 100;
constexpr int farewellLoops = 5;
// Where the home-automation system says "online" when it starts.
constexpr const char* mqttHomeAssistantStatusTopic = "homeassistant/status";

// The library wants one init before the first client and one cleanup after the last.
struct TmosquittoLibrary {
    TmosquittoLibrary() { mosquitto_lib_init(); }
    ~TmosquittoLibrary() { mosquitto_lib_cleanup(); }
};

void useLibrary() {
    static TmosquittoLibrary library;
}

} // namespace

TmqttPublisher::TmqttPublisher(TmqttSettings s, Tlog l)
    : settings(std::move(s)), log(std::move(l)) {}

TmqttPublisher::~TmqttPublisher() {
    stop();
    if (client) mosquitto_destroy(client);
}

std::string TmqttPublisher::broker() const {
    return settings.host + ":" + std::to_string(settings.port);
}

bool TmqttPublisher::configure(std::string& error) {
    std::string status = mqttStatusTopic(settings.station);
    mosquitto_will_set(client, status.c_str(), 7, "offline", qosWill, true);
    if (!settings.user.empty())
        mosquitto_username_pw_set(client, settings.user.c_str(),
                                  settings.password.empty() ? nullptr : settings.password.c_str());
    if (!settings.caFile.empty()) {
        int rc =
            mosquitto_tls_set(client, settings.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            error = "--mqtt-tls " + settings.caFile + ": " + mosquitto_strerror(rc);
            return false;
        }
    }
    mosquitto_connect_callback_set(client, onConnect);
    mosquitto_disconnect_callback_set(client, onDisconnect);
    mosquitto_publish_callback_set(client, onPublish);
    mosquitto_log_callback_set(client, onLog);
    mosquitto_message_callback_set(client, onMessage);
    return true;
}

bool TmqttPublisher::start(std::string& error) {
    useLibrary();
    std::string id = "corvasine-" + settings.station.name + "-" + std::to_string(getpid());
    client = mosquitto_new(id.c_str(), true, this);
    if (!client) {
        error = "MQTT: cannot create a client: " + std::string(std::strerror(errno));
        return false;
    }
    if (!configure(error)) return false;
    // Other threads only queue messages; the worker alone touches the network.
    mosquitto_threaded_set(client, true);
    worker = std::thread(&TmqttPublisher::run, this);
    running = true;
    return true;
}

// Connects, runs the session until it ends and tries again after a pause that doubles from the
// first to the last back-off; a session that was accepted starts the back-off anew.
void TmqttPublisher::run() {
    int delay = settings.reconnectFirst;
    while (!stopRequested()) {
        if (session()) delay = settings.reconnectFirst;
        if (pause(delay)) break;
        delay = std::min(2 * delay, settings.reconnectLast);
    }
}

// One connection from the attempt to its end; true when the broker accepted it.
bool TmqttPublisher::session() {
    attemptStart = std::chrono::steady_clock::now();
    int rc =
        mosquitto_connect_async(client, settings.host.c_str(), settings.port, settings.keepAlive);
    if (rc != MOSQ_ERR_SUCCESS) {
        report("MQTT: cannot reach " + broker() + " (" + mosquitto_strerror(rc) + ")");
        return false;
    }
    accepted = false;
    bool gaveUp = false;
    while (mosquitto_loop(client, loopWaitMs, 1) == MOSQ_ERR_SUCCESS) {
        if (stopRequested()) {
            farewell();
            return accepted;
        }
        if (!accepted) waitForAnswer(gaveUp);
        if (gaveUp) break;
    }
    ended(gaveUp);
    return accepted;
}

// Gives up on a broker that has not accepted the session in time, telling one that took the
// connection and stays silent from one that cannot be reached.
void TmqttPublisher::waitForAnswer(bool& gaveUp) {
    auto waited = std::chrono::steady_clock::now() - attemptStart;
    if (waited < std::chrono::seconds(settings.answerWait)) return;
    gaveUp = true;
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    int socket = mosquitto_socket(client);
    if (socket >= 0 && getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &size) == 0)
        report("MQTT: " + broker() + " took the connection but does not answer");
    else
        report("MQTT: cannot reach " + broker() + " (no answer)");
}

// Waits the back-off; true when the publisher stops meanwhile.
bool TmqttPublisher::pause(int seconds) {
    std::unique_lock guard(lock);
    return wake.wait_for(guard, std::chrono::seconds(seconds), [this] { return stopping; });
}

bool TmqttPublisher::stopRequested() {
    std::lock_guard guard(lock);
    return stopping;
}

// The session ends at a stop: the disconnection goes out before the socket closes, so the
// broker keeps the last will to itself.
void TmqttPublisher::farewell() {
    mosquitto_disconnect(client);
    for (int i = 0; i < farewellLoops; ++i)
        if (mosquitto_loop(client, loopWaitMs, 1) != MOSQ_ERR_SUCCESS) break;
}

// One line for a problem until the next connection, however often the attempts fail.
void TmqttPublisher::report(const std::string& problem) {
    std::lock_guard guard(reportLock);
    if (problemReported) return;
    problemReported = true;
    log(problem + "; measuring goes on, retrying in the background");
}

// While connected, "offline" goes out first and is waited for; the worker then disconnects.
void TmqttPublisher::stop() {
    if (!running) return;
    running = false;
    std::unique_lock guard(lock);
    if (isConnected) {
        send({mqttStatusTopic(settings.station), "offline"}, &offlineMid);
        published.wait_for(guard, offlineWait, [this] { return offlineOut; });
    }
    stopping = true;
    wake.notify_all();
    guard.unlock();
    worker.join();
}

bool TmqttPublisher::connected() const {
    std::lock_guard guard(lock);
    return isConnected;
}

void TmqttPublisher::publish(const Treading& sample) {
    std::string payload = mqttStatePayload(sample);
    std::lock_guard guard(lock);
    lastState = std::move(payload);
    lastStateOut = false;
    bool humidityNew = sample.hasHumidity() && !humidity;
    humidity = humidity || humidityNew;
    const bool productsNew = sample.qff && !products;
    products = products || productsNew;
    bool cameBack = !moduleUp;
    moduleUp = true;
    if (!isConnected) return;
    if (humidityNew) sendAll(mqttHumidityConfigs(settings.station));
    if (productsNew) sendAll(mqttPressureConfigs(settings.station));
    sendState();
    if (cameBack) sendStatus();
}

void TmqttPublisher::moduleLost() {
    std::lock_guard guard(lock);
    if (!moduleUp) return;
    moduleUp = false;
    if (isConnected) sendStatus();
}

bool TmqttPublisher::send(const TmqttMessage& m, int* mid) {
    return mosquitto_publish(client, mid, m.topic.c_str(), static_cast<int>(m.payload.size()),
                             m.payload.data(), qosMessages, true) == MOSQ_ERR_SUCCESS;
}

void TmqttPublisher::sendAll(const std::vector<TmqttMessage>& messages) {
    for (const TmqttMessage& m : messages)
        send(m);
}

void TmqttPublisher::sendState() {
    send({mqttStateTopic(settings.station), lastState}, &lastStateMid);
}

void TmqttPublisher::sendStatus() {
    send({mqttStatusTopic(settings.station), moduleUp ? "online" : "offline"});
}

// The configs come before the status and the state, so that the home-automation system knows the
// entities when their values arrive; it gets them again each time it announces itself.
void TmqttPublisher::connectedNow() {
    std::lock_guard guard(lock);
    isConnected = true;
    accepted = true;
    {
        std::lock_guard reportGuard(reportLock);
        problemReported = false;
    }
    log("MQTT: connected to " + broker() + ", publishing on " + mqttStateTopic(settings.station));
    mosquitto_subscribe(client, nullptr, mqttHomeAssistantStatusTopic, 0);
    sendAll(mqttBaseConfigs(settings.station));
    if (humidity) sendAll(mqttHumidityConfigs(settings.station));
    if (products) sendAll(mqttPressureConfigs(settings.station));
    sendStatus();
    if (!lastStateOut) sendState();
}

void TmqttPublisher::announced() {
    std::lock_guard guard(lock);
    if (!isConnected) return;
    sendAll(mqttBaseConfigs(settings.station));
    if (humidity) sendAll(mqttHumidityConfigs(settings.station));
    if (products) sendAll(mqttPressureConfigs(settings.station));
}

void TmqttPublisher::refused(int rc) {
    report("MQTT: " + broker() + " refused the connection (" + mosquitto_connack_string(rc) + ")");
}

// The session ended without a stop. Its reason was said already when the worker gave up or the
// library logged it; otherwise this is the one line.
void TmqttPublisher::ended(bool gaveUp) {
    {
        std::lock_guard guard(lock);
        isConnected = false;
    }
    if (!gaveUp)
        report(accepted ? "MQTT: connection to " + broker() + " lost"
                        : "MQTT: cannot reach " + broker());
}

void TmqttPublisher::sent(int mid) {
    std::lock_guard guard(lock);
    if (mid == lastStateMid) lastStateOut = true;
    if (mid == offlineMid) {
        offlineOut = true;
        published.notify_all();
    }
}

void TmqttPublisher::onConnect(mosquitto*, void* self, int rc) {
    auto* publisher = static_cast<TmqttPublisher*>(self);
    if (rc == 0)
        publisher->connectedNow();
    else
        publisher->refused(rc);
}

void TmqttPublisher::onDisconnect(mosquitto*, void* self, int) {
    auto* publisher = static_cast<TmqttPublisher*>(self);
    std::lock_guard guard(publisher->lock);
    publisher->isConnected = false;
}

void TmqttPublisher::onMessage(mosquitto*, void* self, const mosquitto_message* m) {
    std::string payload(static_cast<const char*>(m->payload),
                        static_cast<std::size_t>(m->payloadlen));
    if (payload == "online") static_cast<TmqttPublisher*>(self)->announced();
}

// The library says why a TLS connection failed only in its log.
void TmqttPublisher::onLog(mosquitto*, void* self, int level, const char* text) {
    auto* publisher = static_cast<TmqttPublisher*>(self);
    if (level == MOSQ_LOG_ERR) publisher->report("MQTT: " + publisher->broker() + ": " + text);
}

void TmqttPublisher::onPublish(mosquitto*, void* self, int mid) {
    static_cast<TmqttPublisher*>(self)->sent(mid);
}
