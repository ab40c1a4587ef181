#include "lookup/cddb_client.h"

#include "lookup/cddb_protocol.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/cd_errors.h"
#include "platform/cdrom/disc_id.h"
#include "platform/net/http_get.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace corvath {

CddbClientOptions& CddbClientOptions::Process()
{
    static auto* options = new CddbClientOptions;
    return *options;
}

void CddbClientOptions::Set(int32_t option, const std::string& text, int32_t number)
{
    const std::lock_guard lock(mutex_);
    switch (option) {
    case kCddbServer:
        settings_.server = text;
        break;
    case kCddbProxyAddress:
        settings_.proxyAddress = text;
        break;
    case kCddbUseProxy:
        settings_.useProxy = number == 1;
        break;
    case kCddbClient:
        settings_.client = text;
        break;
    case kCddbEmail:
        settings_.email = text;
        break;
    case kCddbProxyPort:
        settings_.proxyPort = number;
        break;
    case kCddbScript:
        settings_.script = text;
        break;
    default:
        break;
    }
}

void CddbClientOptions::SetTimeouts(std::chrono::milliseconds connect,
                                    std::chrono::milliseconds request)
{
    const std::lock_guard lock(mutex_);
    settings_.connectTimeout = connect;
    settings_.requestTimeout = request;
}

CddbSettings CddbClientOptions::Snapshot() const
{
    const std::lock_guard lock(mutex_);
    return settings_;
}

namespace {

constexpr const char* kTocUnreadable = "Error while reading TOC information!";

// The deadline of the lookup this thread runs, if any (CddbLookupDeadline).
thread_local std::optional<std::chrono::steady_clock::time_point> lookupDeadline;

// A server's answer with the server's name as the user gave it, for the words of an error.
struct CddbAnswer {
    std::string server;
    std::string body;
};

// The answer to a CDDB command, or nothing (with the error and why recorded) when the server
// could not be reached or refused the request.
std::optional<CddbAnswer> RunCddbCommand(const std::string& command, std::stop_token stop)
{
    const CddbSettings settings = CddbClientOptions::Process().Snapshot();
    const std::string proxy = ProxyOf(settings);
    HttpGetOptions http = HttpOptionsOf(settings);
    http.stop = std::move(stop);
    if (lookupDeadline) {
        using std::chrono::milliseconds;
        const auto left = std::chrono::duration_cast<milliseconds>(
            *lookupDeadline - std::chrono::steady_clock::now());
        if (left <= milliseconds(0)) {
            const auto seconds = (settings.requestTimeout.count() + 999) / 1000;
            SetCdLastError(kCdErrorNetwork, "The lookup at " + settings.server +
                                                " took longer than " + std::to_string(seconds) +
                                                " s");
            return std::nullopt;
        }
        http.connectTimeout = std::min(http.connectTimeout, left);
        http.requestTimeout = std::min(http.requestTimeout, left);
    }
    HttpGetResult answer = HttpGet(CddbRequestUrl(settings, command), http);
    if (!answer.reached) {
        std::string reason = NoAnswerText(answer, settings.server, http.maxBodyBytes);
        if (!proxy.empty())
            reason += " (through the proxy " + proxy + ')';
        SetCdLastError(kCdErrorNetwork, std::move(reason));
        return std::nullopt;
    }
    if (answer.status != 200) {
        SetCdLastError(kCdErrorServer,
                       settings.server + " answered HTTP " + std::to_string(answer.status));
        return std::nullopt;
    }
    return CddbAnswer{settings.server, std::move(answer.body)};
}

// Records that the server's answer reports an error or is no CDDB answer at all.
void SetAnswerError(const CddbAnswer& answer)
{
    const std::string status = CddbStatusLine(answer.body);
    if (status.empty()) {
        SetCdLastError(kCdErrorServer,
                       "The answer from " + answer.server + " is not a CDDB answer");
        return;
    }
    std::string reason = answer.server + " answered: " + status;
    if (CddbStatusRefusesClient(status))
        reason += "\nThe server accepts only client programs registered with it. MusicBrainz "
                  "needs no registration.";
    SetCdLastError(kCdErrorServer, std::move(reason));
}

// Cuts text to at most capacity bytes without splitting a UTF-8 character.
void CutToCapacity(std::string& text, uint32_t capacity)
{
    if (text.size() <= capacity)
        return;
    std::size_t end = capacity;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
}

} // namespace

CddbLookupDeadline::CddbLookupDeadline()
    : outer_(
          std::exchange(lookupDeadline, std::chrono::steady_clock::now() +
                                            CddbClientOptions::Process().Snapshot().requestTimeout))
{
}

CddbLookupDeadline::~CddbLookupDeadline()
{
    lookupDeadline = outer_;
}

void CDDBSetOption(int32_t option, const std::string& text, int32_t number)
{
    CddbClientOptions::Process().Set(option, text, number);
}

int32_t CDDBQuery(int32_t handle, CddbMatchList& matches, std::stop_token stop)
{
    CdToc toc;
    if (!ModifyCDParms(handle, kCdParmMsfAddresses, 1) || ReadTOC(handle, toc) != 1) {
        matches.Count = 0;
        // The drive layer's number says which step failed; the words are the same for all.
        SetCdLastError(GetAspiLibError(), kTocUnreadable);
        return 0;
    }
    const DiscFrames disc = TocFrames(toc);
    const std::optional<CddbAnswer> answer = RunCddbCommand(
        CddbQueryCommand(FreedbDiscId(disc), disc.trackStarts, disc.leadOut), std::move(stop));
    if (!answer) {
        matches.Count = 0;
        return 0;
    }
    if (ParseCddbQueryAnswer(answer->body, matches) != kCdErrorNone) {
        SetAnswerError(*answer);
        return 0;
    }
    SetCdLastError(kCdErrorNone);
    return 1;
}

int32_t CDDBGetDiskInfo(const CddbMatch& match, std::string& text, uint32_t capacity,
                        std::stop_token stop)
{
    text.clear();
    const std::optional<CddbAnswer> answer =
        RunCddbCommand(CddbReadCommand(match), std::move(stop));
    if (!answer)
        return 0;
    std::optional<std::string> entry = ParseCddbReadAnswer(answer->body);
    if (!entry) {
        SetAnswerError(*answer);
        return 0;
    }
    text = std::move(*entry);
    CutToCapacity(text, capacity);
    SetCdLastError(kCdErrorNone);
    return 1;
}

std::string ProxyOf(const CddbSettings& settings)
{
    return settings.useProxy ? settings.proxyAddress + ':' + std::to_string(settings.proxyPort)
                             : "";
}

HttpGetOptions HttpOptionsOf(const CddbSettings& settings)
{
    HttpGetOptions http;
    if (const std::string proxy = ProxyOf(settings); !proxy.empty())
        http.proxy = "http://" + proxy;
    http.connectTimeout = settings.connectTimeout;
    http.requestTimeout = settings.requestTimeout;
    return http;
}

} // namespace corvath
