#pragma once

#include "platform/net/http_get.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace corvath {

/// How long a CDDB request may take: a dead server makes a failed query, never a hang.
inline constexpr std::chrono::milliseconds kCddbConnectTimeout{10'000};
inline constexpr std::chrono::milliseconds kCddbRequestTimeout{30'000};

/// Everything one CDDB request needs, as CDDBSetOption left it.
struct CddbSettings {
    std::string server; // host, or host:port
    std::string script = "/~cddb/cddb.cgi";
    std::string email = "corvath@localhost";         // user@host for the greeting
    std::string client = "Corvath " CORVATH_VERSION; // "<program> <version>"
    bool useProxy = false;
    std::string proxyAddress;
    int32_t proxyPort = 80;
    std::chrono::milliseconds connectTimeout = kCddbConnectTimeout;
    std::chrono::milliseconds requestTimeout = kCddbRequestTimeout;
};

/// The process-wide CDDB settings behind CDDBSetOption, CDDBQuery and CDDBGetDiskInfo.
/// Thread-safe; each request works on a copy taken when it starts. Never destroyed, so a
/// lookup left to end on its own at exit finds it intact.
class CddbClientOptions {
public:
    static CddbClientOptions& Process();

    /// Stores one option (CddbOption); unknown numbers change nothing.
    void Set(int32_t option, const std::string& text, int32_t number);

    /// Limits for the following requests; the defaults are kCddbConnectTimeout and
    /// kCddbRequestTimeout.
    void SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds request);

    CddbSettings Snapshot() const;

private:
    CddbClientOptions() = default;

    mutable std::mutex mutex_;
    CddbSettings settings_;
};

/// "host:port" of the proxy the settings ask for; empty for a direct connection.
std::string ProxyOf(const CddbSettings& settings);
/// The proxy and time-outs of the settings, for CDDB and the other lookups of a disc.
HttpGetOptions HttpOptionsOf(const CddbSettings& settings);

/// While it lives, the CDDB requests of its thread share one deadline: the request time-out of
/// the options, counted from its creation. A lookup's query and reads together then take no
/// longer than one request may, however many entries there are to read.
class CddbLookupDeadline {
public:
    CddbLookupDeadline();
    ~CddbLookupDeadline();
    CddbLookupDeadline(const CddbLookupDeadline&) = delete;
    CddbLookupDeadline& operator=(const CddbLookupDeadline&) = delete;

private:
    std::optional<std::chrono::steady_clock::time_point> outer_;
};

} // namespace corvath
