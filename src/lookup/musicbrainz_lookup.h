#pragma once

#include "lookup/musicbrainz_release.h"
#include "platform/net/http_get.h"

#include <string>
#include <vector>

namespace corvath {

inline constexpr const char* kMusicBrainzServer = "https://musicbrainz.org";
/// Where MusicBrainz can reach the program's makers, as its User-Agent rules ask.
inline constexpr const char* kMusicBrainzContact = "https://github.com/corvath/corvath";

/// The options of a request to MusicBrainz or its Cover Art Archive, from the caller's proxy,
/// time-outs and stop token: HTTPS, redirects followed, the program's User-Agent and a body
/// of at most maxBodyBytes.
HttpGetOptions MusicBrainzHttpOptions(HttpGetOptions http, std::size_t maxBodyBytes);

struct MusicBrainzQuery {
    std::string server = kMusicBrainzServer; ///< scheme and host, no trailing slash
    std::string discId;                      ///< the disc's MusicBrainz disc ID
    std::string toc;                         ///< "first+last+leadout+offset1+..."
    /// Proxy, time-outs and stop token; the lookup sets protocols, redirects and User-Agent.
    HttpGetOptions http;
};

struct MusicBrainzLookup {
    enum class Outcome { Found, NoMatch, Failed, Cancelled };
    Outcome outcome = Outcome::NoMatch;
    std::vector<MusicBrainzRelease> releases; ///< when found
    std::string failure;                      ///< why it failed, in words for the user
};

/// Asks the server for the releases with the disc ID and, when it knows none, for those whose
/// TOC comes close. Blocks; meant for a worker thread. The requests of all lookups of the
/// process keep at least a second apart, and a busy server (HTTP 503) is asked once more a
/// second after its answer.
MusicBrainzLookup LookUpMusicBrainz(const MusicBrainzQuery& query);

} // namespace corvath
