#include "cd/cover_art.h"

#include "cd/musicbrainz_lookup.h"

namespace corvath {

namespace {

using Outcome = CoverArtFetch::Outcome;

// The archive redirects to its image store, which may redirect once more.
constexpr long kMaxRedirects = 5;
constexpr long kHttpNotFound = 404;

CoverArtFetch Failure(std::string reason)
{
    return {Outcome::Failed, {}, std::move(reason)};
}

} // namespace

CoverArtFetch FetchFrontCover(const std::string& server, const std::string& mbid,
                              HttpGetOptions http)
{
    http.allowHttps = true;
    http.maxRedirects = kMaxRedirects;
    http.maxBodyBytes = kMaxCoverBytes;
    http.userAgent = MusicBrainzUserAgent();
    HttpGetResult answer = HttpGet(server + "/release/" + mbid + "/front-500", http);
    if (!answer.reached) {
        if (answer.tooLarge)
            return {};
        return Failure("Could not reach " + server + ": " + answer.error);
    }
    if (answer.status == kHttpNotFound)
        return {};
    if (answer.status != 200)
        return Failure(server + " answered with HTTP " + std::to_string(answer.status));
    std::optional<CoverPicture> picture = CoverPictureOf(std::move(answer.body));
    if (!picture)
        return {};
    return {Outcome::Found, std::move(*picture), {}};
}

} // namespace corvath
