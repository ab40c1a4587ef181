#pragma once

#include "platform/net/http_get.h"
#include "tags/cover_picture.h"

#include <string>

namespace corvath {

/// Front covers larger than this are left out.
inline constexpr std::size_t kMaxCoverBytes = std::size_t{8} << 20;

struct CoverArtFetch {
    /// None: the archive has no front cover for the release, or what it gave is no JPEG or
    /// PNG image at all. Refused: the image is too large or not whole; failure says which.
    enum class Outcome { Found, None, Refused, Failed };
    Outcome outcome = Outcome::None;
    CoverPicture picture; ///< when found
    std::string failure;  ///< why it failed, in words for the user
};

/// Asks the Cover Art Archive at server (scheme and host, no trailing slash) for the 500-pixel
/// front cover of the release with the MBID, following its redirect to the image. The options
/// give proxy, time-outs and stop token; the fetch sets protocols, redirects, size cap and
/// User-Agent. Blocks.
CoverArtFetch FetchFrontCover(const std::string& server, const std::string& mbid,
                              const HttpGetOptions& http);

} // namespace corvath
