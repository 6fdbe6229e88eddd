#include "logger/web/WebServer.h"

#include <httplib.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr auto EventKeepAlive = std::chrono::seconds(15);

std::string rawQuery(const httplib::Request& request) {
    const auto mark = request.target.find('?');
    return mark == std::string::npos ? std::string() : request.target.substr(mark + 1);
}

void answer(httplib::Response& response, const TwebResponse& r) {
    response.status = r.status;
    response.set_header("Cache-Control", "no-store");
    response.set_header("X-Content-Type-Options", "nosniff");
    response.set_header("Content-Security-Policy", "default-src 'self'; img-src 'self' data:");
    if (r.status == 405) response.set_header("Allow", "GET, HEAD");
    response.set_content(r.body, r.type.c_str());
}

} // namespace

TwebServer::TwebServer(const TwebApi& webApi, TwebState& webState)
    : api(webApi), state(webState), server(std::make_unique<httplib::Server>()) {
    server->new_task_queue = [] { return new httplib::ThreadPool(Threads); };
    server->set_read_timeout(5, 0);
    server->set_write_timeout(5, 0);
    // One request a connection, and a connection that sends none dropped after a second: the
    // library waits for a connection's next request by polling it every 10 ms, which cost more
    // CPU time for a browser's kept-alive connections than all the answers they fetched.
    server->set_keep_alive_timeout(1);
    server->set_keep_alive_max_count(1);
    server->set_tcp_nodelay(true); // a small answer goes out at once, not after a delayed ack
    server->set_payload_max_length(1024);
    // The address may be taken again at once after a restart, but never shared with a second
    // logger: the library's default would let two bind the same port.
    server->set_socket_options([](socket_t socket) {
        const int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    route();
}

TwebServer::~TwebServer() {
    stop();
}

void TwebServer::route() {
    server->set_pre_routing_handler([this](const httplib::Request& q, httplib::Response& r) {
        if (q.method == "GET" || q.method == "HEAD")
            return httplib::Server::HandlerResponse::Unhandled;
        answer(r, api.respond(q.method, q.path, rawQuery(q)));
        return httplib::Server::HandlerResponse::Handled;
    });
    server->Get("/api/v1/events", [this](const httplib::Request& q, httplib::Response& r) {
        TwebResponse first = api.checkEvents(rawQuery(q));
        if (first.status == 200 && streams.fetch_add(1) >= MaxEventStreams) {
            streams.fetch_sub(1);
            first = {503, "application/json; charset=utf-8",
                     "{\"status\":503,\"error\":\"too many streams\"}"};
        }
        if (first.status != 200) return answer(r, first);
        r.set_header("Cache-Control", "no-store");
        r.set_chunked_content_provider(
            "text/event-stream",
            [this, seen = std::uint64_t(-1)](std::size_t, httplib::DataSink& sink) mutable {
                const TwebSnapshot s = state.waitForChange(
                    seen, seen == std::uint64_t(-1) ? std::chrono::seconds(0) : EventKeepAlive);
                if (state.closed()) return false;
                const std::string text = s.serial == seen ? std::string(": keep-alive\n\n")
                                                          : "data: " + api.event(s) + "\n\n";
                seen = s.serial;
                return sink.write(text.data(), text.size());
            },
            [this](bool) { streams.fetch_sub(1); });
    });
    server->Get(".*", [this](const httplib::Request& q, httplib::Response& r) {
        answer(r, api.respond(q.method, q.path, rawQuery(q)));
    });
}

bool TwebServer::start(const ThttpEndpoint& endpoint, std::string& error) {
    const int port = endpoint.port == 0 ? server->bind_to_any_port(endpoint.address)
                     : server->bind_to_port(endpoint.address, endpoint.port) ? endpoint.port
                                                                             : -1;
    if (port <= 0) {
        const int code = errno;
        error = "cannot serve HTTP on " + endpoint.address + ":" + std::to_string(endpoint.port) +
                ": " + (code ? std::strerror(code) : "address not available");
        return false;
    }
    boundPort = port;
    listener = std::thread([this] { server->listen_after_bind(); });
    return true;
}

void TwebServer::stop() {
    state.close();
    if (listener.joinable()) {
        server->stop();
        listener.join();
    }
}
