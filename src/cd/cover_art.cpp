#include "cd/cover_art.h"

#include "cd/musicbrainz_lookup.h"

namespace corvath {

namespace {

using Outcome = CoverArtFetch::Outcome;

constexpr long kHttpNotFound = 404;

CoverArtFetch Failure(std::string reason)
{
    return {Outcome::Failed, {}, std::move(reason)};
}

} // namespace

CoverArtFetch FetchFrontCover(const std::string& server, const std::string& mbid,
                              const HttpGetOptions& http)
{
    // The archive answers with a redirect to its image store.
    HttpGetResult answer = HttpGet(server + "/release/" + mbid + "/front-500",
                                   MusicBrainzHttpOptions(http, kMaxCoverBytes));
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
