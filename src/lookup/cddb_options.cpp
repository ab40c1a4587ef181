#include "lookup/cddb_options.h"

#include "lookup/cddb_client.h"
#include "platform/cdrom/cd_drive_interface.h"

#include <charconv>

namespace corvath {

namespace {

int32_t PortNumber(const std::string& text)
{
    int32_t port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    return error == std::errc() && end == text.data() + text.size() ? port : 80;
}

} // namespace

void ApplyCddbOptions(const CddbServer& settings)
{
    CDDBSetOption(kCddbServer, settings.Server, 0);
    CDDBSetOption(kCddbScript, settings.Script, 0);
    CDDBSetOption(kCddbEmail, settings.Email.empty() ? kCddbGreetingEmail : settings.Email, 0);
    CDDBSetOption(kCddbClient, "Corvath " CORVATH_VERSION, 0);
    CDDBSetOption(kCddbReserved, "", 0);
    if (settings.UseProxy) {
        CDDBSetOption(kCddbUseProxy, "", 1);
        CDDBSetOption(kCddbProxyPort, "", PortNumber(settings.Port));
        CDDBSetOption(kCddbProxyAddress, settings.ProxyAddress, 0);
    } else {
        // The options outlive a query: a proxy turned off must not stay on from the last one.
        CDDBSetOption(kCddbUseProxy, "", 0);
    }
}

HttpGetOptions LookupHttpOptions(const CddbServer& settings)
{
    CddbSettings cddb;
    cddb.useProxy = settings.UseProxy;
    cddb.proxyAddress = settings.ProxyAddress;
    cddb.proxyPort = PortNumber(settings.Port);
    return HttpOptionsOf(cddb);
}

} // namespace corvath
