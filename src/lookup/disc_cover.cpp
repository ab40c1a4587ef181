#include "lookup/disc_cover.h"

#include "lookup/cover_art.h"

#include <utility>

namespace corvath {

namespace {

JobMessage CoverMessage(DiscCover cover)
{
    return {kMsgDiscCover, 0, std::make_unique<DiscCover>(std::move(cover))};
}

BackgroundJob::Failed CoverFailure(std::string discKey)
{
    return [discKey = std::move(discKey)](const std::exception& error) {
        DiscCover failed;
        failed.discKey = discKey;
        failed.failure = error.what();
        return CoverMessage(std::move(failed));
    };
}

} // namespace

DiscCover DownloadDiscCover(const std::string& discKey, const std::string& server,
                            const std::string& mbid, const HttpGetOptions& http)
{
    DiscCover result;
    result.discKey = discKey;
    CoverArtFetch fetch = FetchFrontCover(server, mbid, http);
    try {
        switch (fetch.outcome) {
        case CoverArtFetch::Outcome::Found: {
            std::filesystem::path file = StoreCover(discKey, fetch.picture);
            result.cover = CachedCover{std::move(file), std::move(fetch.picture)};
            break;
        }
        case CoverArtFetch::Outcome::None:
            ForgetCover(discKey);
            break;
        case CoverArtFetch::Outcome::Refused:
            result.failure = fetch.failure;
            break;
        case CoverArtFetch::Outcome::Failed:
            result.failure = "No cover art: " + fetch.failure;
            break;
        }
    } catch (const std::exception& error) {
        result.failure = std::string("Cannot keep the cover art: ") + error.what();
    }
    return result;
}

std::unique_ptr<BackgroundJob> StartCoverLoad(std::string discKey, MessageTarget& messages)
{
    return std::make_unique<BackgroundJob>(
        [discKey](std::stop_token) {
            DiscCover found;
            found.discKey = discKey;
            found.cover = LoadCover(discKey);
            return CoverMessage(std::move(found));
        },
        CoverFailure(discKey), messages);
}

std::unique_ptr<BackgroundJob> StartCoverDownload(std::string discKey, std::string server,
                                                  std::string mbid, HttpGetOptions http,
                                                  MessageTarget& messages)
{
    return std::make_unique<BackgroundJob>(
        [discKey, server = std::move(server), mbid = std::move(mbid),
         http = std::move(http)](std::stop_token stop) mutable {
            http.stop = std::move(stop);
            return CoverMessage(DownloadDiscCover(discKey, server, mbid, http));
        },
        CoverFailure(discKey), messages);
}

} // namespace corvath
