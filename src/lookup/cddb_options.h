#pragma once

#include "lookup/cddb_server.h"
#include "platform/net/http_get.h"

namespace corvath {

/// The e-mail address the CDDB greeting carries unless the user gives one: a neutral one, so
/// nothing of the user goes out unasked.
inline constexpr const char* kCddbGreetingEmail = "corvath@localhost";

/// Sets the CD access layer's CDDB options from the server record, in the order the layer expects:
/// server, script, e-mail, client, the reserved option, then the proxy (when on): use, port
/// (80 when the setting is no number) and address; when off, the proxy use only, turned off.
void ApplyCddbOptions(const CddbServer& settings);

/// The proxy and time-outs of the server record, for the disc's other lookups.
HttpGetOptions LookupHttpOptions(const CddbServer& settings);

} // namespace corvath
