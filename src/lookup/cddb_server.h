#pragma once

#include <string>

namespace corvath {

/// Where CDDB queries go: the server, its script and the proxy, as the user set them.
struct CddbServer {
    std::string Server;
    std::string Script;
    bool UseProxy = false;
    std::string ProxyAddress;
    std::string Port;  ///< the proxy's port as typed; 80 when it is no number
    std::string Email; ///< for the greeting; empty: kCddbGreetingEmail
};

} // namespace corvath
