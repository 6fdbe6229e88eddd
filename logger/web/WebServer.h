#pragma once

#include "logger/web/HttpOptions.h"
#include "logger/web/WebApi.h"
#include "logger/web/WebState.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

// The HTTP server on threads of its own: a pool answers the requests through the API object,
// a few of them stream the server-sent events. Read-only; bound where the options say.
class TwebServer {
public:
    static constexpr int Threads = 24;
    static constexpr int MaxEventStreams = 8;

    TwebServer(const TwebApi& api, TwebState& state);
    ~TwebServer();
    TwebServer(const TwebServer&) = delete;
    TwebServer& operator=(const TwebServer&) = delete;

    // Binds (port 0: any free one) and starts listening; false with a one-line reason when the
    // address cannot be had.
    bool start(const ThttpEndpoint& endpoint, std::string& error);
    // Ends the event streams and the server; idempotent.
    void stop();
    int port() const { return boundPort; }

private:
    void route();

    const TwebApi& api;
    TwebState& state;
    std::unique_ptr<httplib::Server> server;
    std::thread listener;
    std::atomic<int> streams{0};
    int boundPort = 0;
};
