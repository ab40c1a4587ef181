#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string>

namespace corvath {

/// The largest body HttpGet takes unless the caller allows more.
inline constexpr std::size_t kHttpDefaultMaxBody = std::size_t{1} << 20;

struct HttpGetOptions {
    /// "http://host:port", or empty for a direct connection (proxy variables of the
    /// environment are ignored either way).
    std::string proxy;
    std::chrono::milliseconds connectTimeout{0};
    std::chrono::milliseconds requestTimeout{0};
    /// A stop asked for through it ends the request within about a second, as no answer.
    std::stop_token stop{};
    /// Also takes https:// URLs, verifying the server against the system's CA certificates.
    bool allowHttps = false;
    /// Follows at most this many redirects, to the allowed protocols only; 0 follows none and
    /// answers with the redirect itself.
    long maxRedirects = 0;
    /// Sent as the User-Agent header: the program and its version, so servers know who asks;
    /// empty sends none.
    std::string userAgent = "Corvath/" CORVATH_VERSION;
    /// Bodies beyond this many bytes count as no answer.
    std::size_t maxBodyBytes = kHttpDefaultMaxBody;
};

struct HttpGetResult {
    bool reached = false;  ///< false: no answer (unreachable, timed out, cut off, too large)
    bool tooLarge = false; ///< no answer because the body passed the options' maxBodyBytes
    /// No answer although the server (or the proxy) took the request: it stayed silent past
    /// the time-out or broke off.
    bool requestSent = false;
    bool timedOut = false; ///< no answer within the options' time-outs
    /// The body's length as the server announced it (also when too large); -1 when it did not.
    int64_t announcedBytes = -1;
    long status = 0; ///< the HTTP status code once reached
    std::string body;
    std::string error; ///< why there is no answer, in libcurl's words
};

/// One blocking HTTP GET with libcurl; thread-safe. Plain http:// only unless the options
/// allow https://.
HttpGetResult HttpGet(const std::string& url, const HttpGetOptions& options);

/// Why a request to `server` got no answer (result.reached is false), as a sentence for the
/// user: it could not be reached, it took the request and did not answer in time or broke off,
/// or its answer passed maxBodyBytes.
std::string NoAnswerText(const HttpGetResult& result, const std::string& server,
                         std::size_t maxBodyBytes);

} // namespace corvath
