#include "logger/MqttPublisher.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <unistd.h>

namespace {

// Every message is retained and sent at QoS 0, so the client library never queues one for a
// connection that is gone: a message that did not go out is sent again on reconnection (the
// status, the configs, the newest state) or not at all (older states). The broker keeps the
// last will, so it may ask for an acknowledgement.
constexpr int qosMessages = 0;
constexpr int qosWill = 1;
constexpr auto offlineWait = std::chrono::seconds(2);

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
    mosquitto_reconnect_delay_set(client, settings.reconnectFirst, settings.reconnectLast, true);
    mosquitto_connect_callback_set(client, onConnect);
    mosquitto_disconnect_callback_set(client, onDisconnect);
    mosquitto_publish_callback_set(client, onPublish);
    mosquitto_log_callback_set(client, onLog);
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
    int rc = mosquitto_loop_start(client);
    if (rc != MOSQ_ERR_SUCCESS) {
        error = "MQTT: cannot start the client: " + std::string(mosquitto_strerror(rc));
        return false;
    }
    starter = std::thread(&TmqttPublisher::connectUntilAccepted, this);
    running = true;
    return true;
}

// The client's thread retries a connection on its own, but not a first attempt that failed before
// reaching the network (a host name that does not resolve yet): that one is retried here.
void TmqttPublisher::connectUntilAccepted() {
    int delay = settings.reconnectFirst;
    for (;;) {
        int rc = mosquitto_connect_async(client, settings.host.c_str(), settings.port,
                                         settings.keepAlive);
        if (rc != MOSQ_ERR_SUCCESS)
            report("MQTT: cannot reach " + broker() + " (" + mosquitto_strerror(rc) + ")");
        std::unique_lock guard(lock);
        if (rc == MOSQ_ERR_SUCCESS || stopping) return;
        if (wake.wait_for(guard, std::chrono::seconds(delay), [this] { return stopping; })) return;
        delay = std::min(2 * delay, settings.reconnectLast);
    }
}

// One line for a problem until the next connection, however often the attempts fail.
void TmqttPublisher::report(const std::string& problem) {
    std::lock_guard guard(reportLock);
    if (problemReported) return;
    problemReported = true;
    log(problem + "; measuring goes on, retrying in the background");
}

void TmqttPublisher::stop() {
    if (!running) return;
    running = false;
    {
        std::lock_guard guard(lock);
        stopping = true;
        wake.notify_all();
    }
    starter.join();
    std::unique_lock guard(lock);
    bool wasConnected = isConnected;
    if (wasConnected) {
        send({mqttStatusTopic(settings.station), "offline"}, &offlineMid);
        published.wait_for(guard, offlineWait, [this] { return offlineOut; });
    }
    guard.unlock();
    mosquitto_disconnect(client);
    mosquitto_loop_stop(client, !wasConnected);
}

bool TmqttPublisher::connected() const {
    std::lock_guard guard(lock);
    return isConnected;
}

void TmqttPublisher::publish(const TmqttSample& sample) {
    std::string payload = mqttStatePayload(sample);
    std::lock_guard guard(lock);
    lastState = std::move(payload);
    lastStateOut = false;
    bool humidityNew = sample.humidity && !humidity;
    humidity = humidity || humidityNew;
    if (!isConnected) return;
    if (humidityNew) sendAll(mqttHumidityConfigs(settings.station));
    sendState();
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

void TmqttPublisher::connectedNow() {
    std::lock_guard guard(lock);
    isConnected = true;
    {
        std::lock_guard reportGuard(reportLock);
        problemReported = false;
    }
    log("MQTT: connected to " + broker() + ", publishing on " + mqttStateTopic(settings.station));
    send({mqttStatusTopic(settings.station), "online"});
    sendAll(mqttBaseConfigs(settings.station));
    if (humidity) sendAll(mqttHumidityConfigs(settings.station));
    if (!lastStateOut) sendState();
}

void TmqttPublisher::refused(int rc) {
    report("MQTT: " + broker() + " refused the connection (" + mosquitto_connack_string(rc) + ")");
}

void TmqttPublisher::lost() {
    bool was;
    {
        std::lock_guard guard(lock);
        was = isConnected;
        isConnected = false;
    }
    report(was ? "MQTT: connection to " + broker() + " lost" : "MQTT: cannot reach " + broker());
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

void TmqttPublisher::onDisconnect(mosquitto*, void* self, int rc) {
    if (rc != 0) static_cast<TmqttPublisher*>(self)->lost();
}

// The library says why a TLS connection failed only in its log.
void TmqttPublisher::onLog(mosquitto*, void* self, int level, const char* text) {
    auto* publisher = static_cast<TmqttPublisher*>(self);
    if (level == MOSQ_LOG_ERR) publisher->report("MQTT: " + publisher->broker() + ": " + text);
}

void TmqttPublisher::onPublish(mosquitto*, void* self, int mid) {
    static_cast<TmqttPublisher*>(self)->sent(mid);
}
