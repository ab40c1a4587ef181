#include "platform/cdrom/cddb_client.h"

#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/cd_errors.h"
#include "platform/cdrom/cddb_protocol.h"
#include "platform/cdrom/disc_id.h"
#include "platform/cdrom/http_get.h"

#include <optional>

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

// The answer's body to a CDDB command, or nothing (with the error recorded) when the server
// could not be reached or refused the request.
std::optional<std::string> RunCddbCommand(const std::string& command)
{
    const CddbSettings settings = CddbClientOptions::Process().Snapshot();
    HttpGetOptions http;
    if (settings.useProxy)
        http.proxy = "http://" + settings.proxyAddress + ':' + std::to_string(settings.proxyPort);
    http.connectTimeout = settings.connectTimeout;
    http.requestTimeout = settings.requestTimeout;
    HttpGetResult answer = HttpGet(CddbRequestUrl(settings, command), http);
    if (!answer.reached) {
        SetCdLastError(kCdErrorNetwork);
        return std::nullopt;
    }
    if (answer.status != 200) {
        SetCdLastError(kCdErrorServer);
        return std::nullopt;
    }
    return std::move(answer.body);
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

void CDDBSetOption(int32_t option, const std::string& text, int32_t number)
{
    CddbClientOptions::Process().Set(option, text, number);
}

int32_t CDDBQuery(int32_t handle, CddbMatchList& matches)
{
    CdToc toc;
    if (!ModifyCDParms(handle, kCdParmMsfAddresses, 1) || ReadTOC(handle, toc) != 1) {
        matches.Count = 0;
        return 0; // the drive layer has recorded why
    }
    const DiscFrames disc = TocFrames(toc);
    const std::optional<std::string> answer =
        RunCddbCommand(CddbQueryCommand(FreedbDiscId(disc), disc.trackStarts, disc.leadOut));
    if (!answer) {
        matches.Count = 0;
        return 0;
    }
    const int32_t error = ParseCddbQueryAnswer(*answer, matches);
    SetCdLastError(error);
    return error == kCdErrorNone ? 1 : 0;
}

int32_t CDDBGetDiskInfo(const CddbMatch& match, std::string& text, uint32_t capacity)
{
    text.clear();
    const std::optional<std::string> answer = RunCddbCommand(CddbReadCommand(match));
    if (!answer)
        return 0;
    std::optional<std::string> entry = ParseCddbReadAnswer(*answer);
    if (!entry) {
        SetCdLastError(kCdErrorServer);
        return 0;
    }
    text = std::move(*entry);
    CutToCapacity(text, capacity);
    SetCdLastError(kCdErrorNone);
    return 1;
}

} // namespace corvath
