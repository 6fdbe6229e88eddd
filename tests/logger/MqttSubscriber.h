#pragma once

#include <mosquitto.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct TreceivedMessage {
    std::string topic;
    std::string payload;
    bool retained;
};

// Subscribes to every topic of a test broker and keeps what arrives; subscribes again after a
// reconnection.
class TtestSubscriber {
public:
    explicit TtestSubscriber(int port) {
        mosquitto_lib_init();
        client = mosquitto_new(nullptr, true, this);
        mosquitto_connect_callback_set(client, [](mosquitto* c, void*, int rc) {
            if (rc == 0) mosquitto_subscribe(c, nullptr, "#", 1);
        });
        mosquitto_subscribe_callback_set(client, [](mosquitto*, void* self, int, int, const int*) {
            auto* me = static_cast<TtestSubscriber*>(self);
            std::lock_guard guard(me->lock);
            me->subscribed = true;
            me->arrived.notify_all();
        });
        mosquitto_message_callback_set(client, onMessage);
        mosquitto_reconnect_delay_set(client, 1, 1, false);
        mosquitto_connect_async(client, "127.0.0.1", port, 30);
        mosquitto_loop_start(client);
    }
    ~TtestSubscriber() {
        mosquitto_disconnect(client);
        mosquitto_loop_stop(client, true);
        mosquitto_destroy(client);
    }

    void publish(const std::string& topic, const std::string& payload) {
        mosquitto_publish(client, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                          payload.data(), 1, false);
    }

    // Waits until the newest message on the topic has this payload.
    bool waitForLast(const std::string& topic, const std::string& payload,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10)) const {
        return waitFor(
            [&](const std::vector<TreceivedMessage>& all) {
                for (auto m = all.rbegin(); m != all.rend(); ++m)
                    if (m->topic == topic) return m->payload == payload;
                return false;
            },
            timeout);
    }

    std::vector<TreceivedMessage> messages() const {
        std::lock_guard guard(lock);
        return received;
    }

    std::vector<TreceivedMessage> on(const std::string& topic) const {
        std::vector<TreceivedMessage> out;
        for (const TreceivedMessage& m : messages())
            if (m.topic == topic) out.push_back(m);
        return out;
    }

    // Waits until what arrived satisfies the condition; false after the time-out.
    bool waitFor(const std::function<bool(const std::vector<TreceivedMessage>&)>& condition,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10)) const {
        std::unique_lock guard(lock);
        return arrived.wait_for(guard, timeout, [&] { return condition(received); });
    }

    // Waits until the subscription stands, so that nothing sent afterwards is missed.
    bool waitSubscribed() const {
        std::unique_lock guard(lock);
        return arrived.wait_for(guard, std::chrono::seconds(10), [&] { return subscribed; });
    }

    // Waits for a message on the topic with this payload.
    bool waitFor(const std::string& topic, const std::string& payload,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10)) const {
        return waitFor(
            [&](const std::vector<TreceivedMessage>& all) {
                for (const TreceivedMessage& m : all)
                    if (m.topic == topic && m.payload == payload) return true;
                return false;
            },
            timeout);
    }

private:
    static void onMessage(mosquitto*, void* self, const mosquitto_message* m) {
        auto* me = static_cast<TtestSubscriber*>(self);
        std::lock_guard guard(me->lock);
        me->received.push_back({m->topic,
                                std::string(static_cast<const char*>(m->payload), m->payloadlen),
                                m->retain});
        me->arrived.notify_all();
    }

    mosquitto* client;
    mutable std::mutex lock;
    mutable std::condition_variable arrived;
    std::vector<TreceivedMessage> received;
    bool subscribed = false;
};
