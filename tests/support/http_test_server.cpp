#include "support/http_test_server.h"

#include <algorithm>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace corvath::test {

namespace {

// Generous: a sanitizer build of a client under a loaded machine can take seconds to send.
constexpr int kReadTimeoutMs = 30000;

const char* ReasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

void SendAll(int connection, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count =
            send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count <= 0)
            return;
        sent += static_cast<std::size_t>(count);
    }
}

// The request's head, up to the empty line; shorter when the client stops sending.
std::string ReadHead(int connection)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        pollfd ready{connection, POLLIN, 0};
        if (poll(&ready, 1, kReadTimeoutMs) <= 0)
            break;
        const ssize_t count = recv(connection, buffer, sizeof buffer, 0);
        if (count <= 0)
            break;
        head.append(buffer, static_cast<std::size_t>(count));
    }
    return head;
}

} // namespace

HttpTestServer::HttpTestServer(Handler handler) : handler_(std::move(handler))
{
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int pipeEnds[2];
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        pipe2(pipeEnds, O_CLOEXEC) != 0) {
        if (listener_ >= 0)
            close(listener_);
        throw std::runtime_error("HttpTestServer: cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    wakeRead_ = pipeEnds[0];
    wakeWrite_ = pipeEnds[1];
    thread_ = std::thread([this] { Serve(); });
}

HttpTestServer::~HttpTestServer()
{
    const char stop = 1;
    [[maybe_unused]] const ssize_t written = write(wakeWrite_, &stop, 1);
    thread_.join();
    close(listener_);
    close(wakeRead_);
    close(wakeWrite_);
}

HttpTestServer::Handler HttpTestServer::ServerError()
{
    return [](const std::string&) { return HttpTestResponse{500, "Internal Server Error\n"}; };
}

HttpTestServer::Handler HttpTestServer::Slow(Handler handler, std::chrono::milliseconds delay)
{
    return [handler = std::move(handler), delay](const std::string& target) {
        std::this_thread::sleep_for(delay);
        return handler(target);
    };
}

std::string HttpTestServer::ClosedAddress()
{
    // The port of a server that has just gone.
    return HttpTestServer(Handler()).Address();
}

std::string HttpTestServer::Address() const
{
    return "127.0.0.1:" + std::to_string(port_);
}

std::vector<std::string> HttpTestServer::RequestLines() const
{
    const std::lock_guard lock(mutex_);
    return requestLines_;
}

std::vector<std::string> HttpTestServer::RequestHeaders(const std::string& name) const
{
    const std::lock_guard lock(mutex_);
    std::vector<std::string> values;
    for (const std::string& head : requestHeads_) {
        const std::string start = "\r\n" + name + ": ";
        const std::size_t found = head.find(start);
        if (found == std::string::npos) {
            values.emplace_back();
            continue;
        }
        const std::size_t valueStart = found + start.size();
        values.push_back(head.substr(valueStart, head.find("\r\n", valueStart) - valueStart));
    }
    return values;
}

bool HttpTestServer::WaitForClosedConnections(std::size_t count,
                                              std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return closed_.wait_for(lock, timeout, [&] { return closedConnections_ >= count; });
}

void HttpTestServer::Serve()
{
    std::vector<int> heldOpen; // the silent server's connections
    for (;;) {
        std::vector<pollfd> ready = {{listener_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        for (const int connection : heldOpen)
            ready.push_back({connection, POLLIN, 0});
        if (poll(ready.data(), ready.size(), -1) < 0 || ready[1].revents != 0)
            break;
        HoldOpen(heldOpen, ready);
        if (ready[0].revents == 0)
            continue;
        const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        if (!handler_) {
            heldOpen.push_back(connection);
            continue;
        }
        Answer(connection);
        close(connection);
    }
    for (const int connection : heldOpen)
        close(connection);
}

// Reads and drops what held connections send; counts and closes those the client closed.
void HttpTestServer::HoldOpen(std::vector<int>& connections, const std::vector<pollfd>& ready)
{
    for (std::size_t i = 2; i < ready.size(); ++i) {
        if (ready[i].revents == 0)
            continue;
        char buffer[4096];
        if (recv(ready[i].fd, buffer, sizeof buffer, 0) > 0)
            continue;
        close(ready[i].fd);
        std::erase(connections, ready[i].fd);
        const std::lock_guard lock(mutex_);
        ++closedConnections_;
        closed_.notify_all();
    }
}

void HttpTestServer::Answer(int connection)
{
    const std::string head = ReadHead(connection);
    const std::string requestLine = head.substr(0, head.find("\r\n"));
    {
        const std::lock_guard lock(mutex_);
        requestLines_.push_back(requestLine);
        requestHeads_.push_back(head);
    }
    // "GET <target> HTTP/1.x"
    const std::size_t targetStart = requestLine.find(' ') + 1;
    const std::string target =
        targetStart == 0 ? ""
                         : requestLine.substr(targetStart, requestLine.rfind(' ') - targetStart);
    const HttpTestResponse response = handler_(target);
    std::string extraHeaders;
    for (const std::string& header : response.headers)
        extraHeaders += header + "\r\n";
    SendAll(connection, "HTTP/1.0 " + std::to_string(response.status) + ' ' +
                            ReasonPhrase(response.status) +
                            "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
                            std::to_string(response.body.size()) + "\r\n" + extraHeaders +
                            "Connection: close\r\n\r\n" + response.body);
}

} // namespace corvath::test
