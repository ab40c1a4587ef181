#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <poll.h>
#include <string>
#include <thread>
#include <vector>

namespace corvath::test {

struct HttpTestResponse {
    int status = 200;
    std::string body;
    std::vector<std::string> headers{}; ///< extra header lines, "Name: value"
};

/// A real HTTP/1.0 server on 127.0.0.1, on a port the system picks, serving one connection at a
/// time on its own thread from construction to destruction. Every answer closes its connection.
class HttpTestServer {
public:
    /// Given the request target (a path with its query, or the absolute URI a proxy receives),
    /// the answer to send.
    using Handler = std::function<HttpTestResponse(const std::string& target)>;

    /// Answers every request with handler's response.
    explicit HttpTestServer(Handler handler);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    /// A server that accepts connections and never answers; they stay open until the client
    /// closes them or the server goes.
    static HttpTestServer Silent() { return HttpTestServer(Handler()); }
    /// A handler answering 500 to everything.
    static Handler ServerError();
    /// A handler that gives handler's answers, each after delay.
    static Handler Slow(Handler handler, std::chrono::milliseconds delay);
    /// "127.0.0.1:<port>" where nothing listens: connecting is refused at once.
    static std::string ClosedAddress();

    uint16_t Port() const { return port_; }
    /// "127.0.0.1:<port>".
    std::string Address() const;
    /// The request lines received so far ("GET <target> HTTP/1.1"), in order.
    std::vector<std::string> RequestLines() const;
    /// The value of the named header (case as sent) of each request so far, in order; empty
    /// for a request without it.
    std::vector<std::string> RequestHeaders(const std::string& name) const;
    /// For the silent server: waits until clients have closed count connections; false when
    /// the time-out passes first.
    bool WaitForClosedConnections(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    void Serve();
    void Answer(int connection);
    void HoldOpen(std::vector<int>& connections, const std::vector<pollfd>& ready);

    Handler handler_; // empty: never answer
    int listener_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    uint16_t port_ = 0;
    mutable std::mutex mutex_;
    mutable std::condition_variable closed_;
    std::vector<std::string> requestLines_;
    std::vector<std::string> requestHeads_;
    std::size_t closedConnections_ = 0;
    std::thread thread_;
};

} // namespace corvath::test
