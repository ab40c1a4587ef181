#include "lookup/musicbrainz_lookup.h"

#include <algorithm>
#include <charconv>
#include <mutex>
#include <optional>
#include <thread>

namespace corvath {

namespace {

using Clock = std::chrono::steady_clock;
using Outcome = MusicBrainzLookup::Outcome;

// MusicBrainz allows one request a second per client.
constexpr auto kRequestSpacing = std::chrono::seconds(1);
// A busy server (HTTP 503) is asked once more, this long after its answer.
constexpr auto kBusyRetryDelay = std::chrono::seconds(1);
constexpr auto kCancelCheckPeriod = std::chrono::milliseconds(50);
constexpr long kMaxRedirects = 5;
// A popular disc ID can bring dozens of releases, each with all its recordings.
constexpr std::size_t kMaxAnswerBytes = std::size_t{4} << 20;
constexpr long kHttpNotFound = 404;
constexpr long kHttpUnavailable = 503;
// Labels and genres come only when asked for; a user-entered stub is no release.
constexpr const char* kParameters =
    "cdstubs=no&inc=artist-credits+labels+recordings+genres+isrcs+release-groups&fmt=json";

bool Cancelled(const HttpGetOptions& http)
{
    return http.stop.stop_requested();
}

// Sleeps until the time comes; false when cancelled first.
bool SleepUntil(Clock::time_point time, const HttpGetOptions& http)
{
    while (!Cancelled(http)) {
        const Clock::time_point now = Clock::now();
        if (now >= time)
            return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(time - now, kCancelCheckPeriod));
    }
    return false;
}

// Books the process's next free request time, a second after the one booked before, and
// waits for it; false when cancelled first. Each lookup waits for its own time, so a cancelled
// one ends at once even while others are lined up.
bool WaitForTurn(const HttpGetOptions& http)
{
    static std::mutex mutex;
    static Clock::time_point nextFree{};
    Clock::time_point turn;
    {
        const std::lock_guard lock(mutex);
        turn = std::max(Clock::now(), nextFree);
        nextFree = turn + kRequestSpacing;
    }
    return SleepUntil(turn, http);
}

// One paced request, asked once more when the server is busy; none when cancelled.
std::optional<HttpGetResult> PacedGet(const std::string& url, const HttpGetOptions& http)
{
    for (int attempt = 1;; ++attempt) {
        if (!WaitForTurn(http))
            return std::nullopt;
        HttpGetResult answer = HttpGet(url, http);
        if (attempt == 2 || !answer.reached || answer.status != kHttpUnavailable)
            return answer;
        if (!SleepUntil(Clock::now() + kBusyRetryDelay, http))
            return std::nullopt;
    }
}

// "first+last+..." gives last - first + 1 tracks; 0 when unreadable.
int TocTrackCount(const std::string& toc)
{
    int first = 0;
    int last = 0;
    const char* end = toc.data() + toc.size();
    const auto [firstEnd, firstError] = std::from_chars(toc.data(), end, first);
    if (firstError != std::errc() || firstEnd == end || *firstEnd != '+')
        return 0;
    const auto [lastEnd, lastError] = std::from_chars(firstEnd + 1, end, last);
    return lastError == std::errc() && last >= first ? last - first + 1 : 0;
}

MusicBrainzLookup Failure(std::string reason)
{
    MusicBrainzLookup lookup;
    lookup.outcome = Outcome::Failed;
    lookup.failure = std::move(reason);
    return lookup;
}

// The lookup's outcome for an answer other than 404.
MusicBrainzLookup Interpret(const HttpGetResult& answer, const MusicBrainzQuery& query)
{
    if (!answer.reached) {
        if (Cancelled(query.http))
            return {Outcome::Cancelled, {}, {}};
        return Failure(NoAnswerText(answer, query.server, kMaxAnswerBytes));
    }
    if (answer.status != 200)
        return Failure(query.server + " answered with HTTP " + std::to_string(answer.status));
    MusicBrainzLookup lookup;
    try {
        lookup.releases =
            ParseMusicBrainzReleases(answer.body, query.discId, TocTrackCount(query.toc));
    } catch (const std::exception& error) {
        return Failure("The answer from " + query.server + " is unreadable: " + error.what());
    }
    lookup.outcome = lookup.releases.empty() ? Outcome::NoMatch : Outcome::Found;
    return lookup;
}

} // namespace

HttpGetOptions MusicBrainzHttpOptions(HttpGetOptions http, std::size_t maxBodyBytes)
{
    http.allowHttps = true;
    http.maxRedirects = kMaxRedirects;
    http.maxBodyBytes = maxBodyBytes;
    http.userAgent = std::string("Corvath/" CORVATH_VERSION " ( ") + kMusicBrainzContact + " )";
    return http;
}

MusicBrainzLookup LookUpMusicBrainz(const MusicBrainzQuery& query)
{
    const HttpGetOptions http = MusicBrainzHttpOptions(query.http, kMaxAnswerBytes);

    const std::string byId = query.server + "/ws/2/discid/" + query.discId + "?" + kParameters;
    // "-" stands for no disc ID: the server matches the TOC alone.
    const std::string byToc = query.server + "/ws/2/discid/-?toc=" + query.toc + "&" + kParameters;
    std::optional<HttpGetResult> answer = PacedGet(byId, http);
    if (answer && answer->reached && answer->status == kHttpNotFound)
        answer = PacedGet(byToc, http);
    if (!answer)
        return {Outcome::Cancelled, {}, {}};
    if (answer->reached && answer->status == kHttpNotFound)
        return {Outcome::NoMatch, {}, {}};
    return Interpret(*answer, query);
}

} // namespace corvath
