#pragma once

#include "support/http_test_server.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace corvath::test {

/// A three-track audio disc image of 100 sectors a track, registered with the drive layer and
/// opened: its tracks start at frames 150, 250 and 350, the lead-out at 450, which makes the
/// freedb id "09000403". The handle closes with the object.
class CddbTestDisc {
public:
    static constexpr const char* kDiscId = "09000403";
    /// A server's entry for the disc: "Artist / Album" of 1999, Rock, titled One, Two, Three.
    static constexpr const char* kEntry = "# xmcd\r\n"
                                          "DISCID=09000403\r\n"
                                          "DTITLE=Artist / Album\r\n"
                                          "DYEAR=1999\r\n"
                                          "DGENRE=Rock\r\n"
                                          "TTITLE0=One\r\n"
                                          "TTITLE1=Two\r\n"
                                          "TTITLE2=Three\r\n"
                                          "EXTD=\r\n";
    static constexpr const char* kQueryCommand = "cddb query 09000403 3 150 250 350 6";

    explicit CddbTestDisc(const std::filesystem::path& folder);
    ~CddbTestDisc();
    CddbTestDisc(const CddbTestDisc&) = delete;
    CddbTestDisc& operator=(const CddbTestDisc&) = delete;

    int32_t Handle() const { return handle_; }

private:
    int32_t handle_ = 0;
};

/// The value of a parameter of a request target's query, decoded ("+" is a space, %XX a byte);
/// empty when absent.
std::string QueryParameter(const std::string& target, const std::string& name);

/// A fake CDDB server's handler: it answers queryAnswer to every "cddb query", the entry of
/// "<category> <disc id>" to "cddb read" (as a 210 answer with the closing "."), 401 to a read
/// of anything else.
HttpTestServer::Handler CddbServer(std::string queryAnswer,
                                   std::map<std::string, std::string> entries = {});

/// The "cmd" of each request the server received, in order.
std::vector<std::string> CddbCommands(const HttpTestServer& server);

} // namespace corvath::test
