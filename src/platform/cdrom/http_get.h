#pragma once

#include <atomic>
#include <chrono>
#include <string>

namespace corvath {

struct HttpGetOptions {
    /// "http://host:port", or empty for a direct connection (proxy variables of the
    /// environment are ignored either way).
    std::string proxy;
    std::chrono::milliseconds connectTimeout{0};
    std::chrono::milliseconds requestTimeout{0};
    /// When set, turning it true ends the request within about a second, as no answer.
    const std::atomic<bool>* cancel = nullptr;
};

struct HttpGetResult {
    bool reached = false;  ///< false: no answer (unreachable, timed out, cut off, too large)
    bool tooLarge = false; ///< no answer because the body passed 1 MiB
    long status = 0;       ///< the HTTP status code once reached
    std::string body;
    std::string error; ///< why there is no answer, in libcurl's words
};

/// One blocking HTTP GET with libcurl; thread-safe. Bodies beyond 1 MiB count as no answer.
HttpGetResult HttpGet(const std::string& url, const HttpGetOptions& options);

} // namespace corvath
