#include "lookup/cover_art.h"

#include "lookup/musicbrainz_lookup.h"

namespace corvath {

namespace {

using Outcome = CoverArtFetch::Outcome;

constexpr long kHttpNotFound = 404;

CoverArtFetch Failure(std::string reason)
{
    return {Outcome::Failed, {}, std::move(reason)};
}

CoverArtFetch Refusal(const std::string& reason)
{
    return {Outcome::Refused, {}, "The cover art is " + reason};
}

std::string TooLarge(int64_t announcedBytes)
{
    const std::string most = std::to_string(kMaxCoverBytes);
    return announcedBytes > 0
               ? "too large: " + std::to_string(announcedBytes) + " bytes (" + most + " at most)"
               : "too large: more than " + most + " bytes";
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
            return Refusal(TooLarge(answer.announcedBytes));
        return Failure(NoAnswerText(answer, server, kMaxCoverBytes));
    }
    if (answer.status == kHttpNotFound)
        return {};
    if (answer.status != 200)
        return Failure(server + " answered with HTTP " + std::to_string(answer.status));
    std::optional<CoverPicture> picture = CoverPictureOf(std::move(answer.body));
    if (!picture)
        return {};
    if (const std::string problem = CoverImageProblem(*picture); !problem.empty())
        return Refusal(problem);
    return {Outcome::Found, std::move(*picture), {}};
}

} // namespace corvath
