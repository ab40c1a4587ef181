#include "lookup/musicbrainz_lookup.h"
#include "support/http_test_server.h"
#include "support/musicbrainz_test_json.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <stop_token>
#include <thread>

namespace corvath {
namespace {

using namespace std::chrono_literals;
using Json = nlohmann::json;
using Outcome = MusicBrainzLookup::Outcome;
using test::DiscIdAnswer;
using test::HttpTestResponse;
using test::HttpTestServer;
using test::MediumJson;
using test::ReleaseJson;

constexpr const char* kDiscId = "lwHl8fGzJyLXQR33ug60E8jhf4k-";
constexpr const char* kToc = "1+3+60000+150+20000+40000";
constexpr const char* kParameters =
    "cdstubs=no&inc=artist-credits+labels+recordings+genres+isrcs+release-groups&fmt=json";

const std::string kByIdTarget = std::string("/ws/2/discid/") + kDiscId + "?" + kParameters;
const std::string kByTocTarget = std::string("/ws/2/discid/-?toc=") + kToc + "&" + kParameters;

// A disc ID answer as the web service writes it, with the nulls and fields we do not use.
constexpr const char* kFullAnswer = R"({
  "id": "lwHl8fGzJyLXQR33ug60E8jhf4k-", "sectors": 60000, "offset-count": 3,
  "offsets": [150, 20000, 40000],
  "releases": [{
    "id": "b84ee12a-09ef-421b-82de-0441a926375b",
    "title": "Blue Lines", "status": "Official", "date": "1991-04-08", "country": "GB",
    "barcode": "5012980000525", "quality": "normal", "packaging": null,
    "artist-credit": [
      {"name": "Massive", "joinphrase": " & ",
       "artist": {"id": "10adbe5e-a2c0-4bf3-8249-2b4cbf6e6ca8", "name": "Massive Attack"}},
      {"name": "Friends", "joinphrase": "", "artist": {"id": "x", "name": "Friends"}}
    ],
    "label-info": [
      {"catalog-number": "WBRCD1", "label": {"id": "l1", "name": "Wild Bunch"}},
      {"catalog-number": "OTHER2", "label": {"id": "l2", "name": "Virgin"}}
    ],
    "genres": [{"name": "trip hop", "count": 7}, {"name": "electronic", "count": 3}],
    "media": [{
      "position": 1, "format": "CD", "title": "", "track-count": 3, "track-offset": 0,
      "discs": [{"id": "lwHl8fGzJyLXQR33ug60E8jhf4k-", "sectors": 60000,
                 "offsets": [150, 20000, 40000], "offset-count": 3}],
      "tracks": [
        {"id": "t3", "position": 3, "number": "3", "title": "Blue Lines", "length": 261000,
         "recording": {"id": "r3", "title": "Blue Lines", "length": 261000}},
        {"id": "t1", "position": 1, "number": "1", "title": "Safe From Harm", "length": 316000,
         "recording": {"id": "r1", "title": "Safe From Harm", "length": 316000}},
        {"id": "t2", "position": 2, "number": "2", "title": "One Love", "length": null,
         "recording": {"id": "r2", "title": "One Love", "length": null}}
      ]
    }]
  }]
})";

MusicBrainzQuery QueryTo(const HttpTestServer& server)
{
    MusicBrainzQuery query;
    query.server = "http://" + server.Address();
    query.discId = kDiscId;
    query.toc = kToc;
    query.http.connectTimeout = 5s;
    query.http.requestTimeout = 5s;
    return query;
}

TEST(MusicBrainzLookup, ReadsEveryFieldOfAReleaseAndIdentifiesItself)
{
    HttpTestServer server([](const std::string& target) -> HttpTestResponse {
        return target == kByIdTarget ? HttpTestResponse{200, kFullAnswer}
                                     : HttpTestResponse{400, "{}"};
    });
    const MusicBrainzLookup lookup = LookUpMusicBrainz(QueryTo(server));

    ASSERT_EQ(lookup.outcome, Outcome::Found) << lookup.failure;
    ASSERT_EQ(lookup.releases.size(), 1u);
    const MusicBrainzRelease& release = lookup.releases[0];
    EXPECT_EQ(release.id, "b84ee12a-09ef-421b-82de-0441a926375b");
    EXPECT_EQ(release.title, "Blue Lines");
    EXPECT_EQ(release.artist, "Massive & Friends");
    EXPECT_EQ(release.date, "1991-04-08");
    EXPECT_EQ(release.year, 1991);
    EXPECT_EQ(release.country, "GB");
    EXPECT_EQ(release.label, "Wild Bunch");
    EXPECT_EQ(release.catalogNumber, "WBRCD1");
    EXPECT_EQ(release.format, "CD");
    EXPECT_EQ(release.trackCount, 3);
    EXPECT_EQ(release.mediumPosition, 1);
    EXPECT_EQ(release.mediumCount, 1);
    EXPECT_EQ(release.trackTitles,
              (std::vector<std::string>{"Safe From Harm", "One Love", "Blue Lines"}));
    EXPECT_EQ(release.genres, (std::vector<std::string>{"trip hop", "electronic"}));

    EXPECT_EQ(server.RequestHeaders("User-Agent"),
              std::vector<std::string>{"Corvath/" CORVATH_VERSION
                                       " ( https://github.com/corvath/corvath )"});
}

TEST(MusicBrainzLookup, ListsEveryReleaseWithTheMediumThatIsTheDisc)
{
    const Json releases = {
        ReleaseJson("id-1", "First", {MediumJson(1, kDiscId, {"a", "b", "c"})}),
        ReleaseJson("id-2", "Second", {MediumJson(1, kDiscId, {"d", "e", "f"})}),
        // The disc is the second of two: its titles, not the first disc's.
        ReleaseJson("id-3", "Double",
                    {MediumJson(1, "otherDiscId", {"one", "two", "three"}),
                     MediumJson(2, kDiscId, {"four", "five", "six"})}),
    };
    HttpTestServer server([&](const std::string&) -> HttpTestResponse {
        return {200, DiscIdAnswer(releases)};
    });
    const MusicBrainzLookup lookup = LookUpMusicBrainz(QueryTo(server));

    ASSERT_EQ(lookup.outcome, Outcome::Found) << lookup.failure;
    ASSERT_EQ(lookup.releases.size(), 3u);
    EXPECT_EQ(lookup.releases[0].title, "First");
    EXPECT_EQ(lookup.releases[1].trackTitles, (std::vector<std::string>{"d", "e", "f"}));
    const MusicBrainzRelease& twoDiscs = lookup.releases[2];
    EXPECT_EQ(twoDiscs.artist, "Artist of Double");
    EXPECT_EQ(twoDiscs.trackTitles, (std::vector<std::string>{"four", "five", "six"}));
    EXPECT_EQ(twoDiscs.mediumPosition, 2);
    EXPECT_EQ(twoDiscs.mediumCount, 2);
    EXPECT_EQ(twoDiscs.year, 0) << "no date";
}

// An unknown disc ID: the second request matches by TOC, where no disc carries the ID and the
// medium with the TOC's three tracks is the disc.
TEST(MusicBrainzLookup, AsksByTocWhenTheDiscIdIsUnknown)
{
    const Json releases = {
        ReleaseJson("id-1", "Close",
                    {MediumJson(1, "", {"x", "y"}), MediumJson(2, "", {"p", "q", "r"}),
                     MediumJson(3, "", {"s", "t", "u"})}),
        ReleaseJson("id-2", "Too long", {MediumJson(1, "", {"1", "2", "3", "4"})}),
    };
    HttpTestServer server([&](const std::string& target) -> HttpTestResponse {
        if (target == kByTocTarget)
            return {200, DiscIdAnswer(releases)};
        return {404, R"({"error": "Not Found"})"};
    });
    const MusicBrainzLookup lookup = LookUpMusicBrainz(QueryTo(server));

    EXPECT_EQ(server.RequestLines(),
              (std::vector<std::string>{"GET " + kByIdTarget + " HTTP/1.1",
                                        "GET " + kByTocTarget + " HTTP/1.1"}));
    const std::vector<std::string> agents = server.RequestHeaders("User-Agent");
    ASSERT_EQ(agents.size(), 2u);
    EXPECT_EQ(agents[0], agents[1]);
    EXPECT_TRUE(agents[1].starts_with("Corvath/")) << agents[1];
    ASSERT_EQ(lookup.outcome, Outcome::Found) << lookup.failure;
    ASSERT_EQ(lookup.releases.size(), 1u) << "a release without a three-track medium is none";
    EXPECT_EQ(lookup.releases[0].trackTitles, (std::vector<std::string>{"p", "q", "r"}));
    EXPECT_EQ(lookup.releases[0].mediumPosition, 2);
}

TEST(MusicBrainzLookup, NoMatchWhenNeitherRequestFindsARelease)
{
    const HttpTestServer unknown([](const std::string&) -> HttpTestResponse {
        return {404, R"({"error": "Not Found"})"};
    });
    EXPECT_EQ(LookUpMusicBrainz(QueryTo(unknown)).outcome, Outcome::NoMatch);
    EXPECT_EQ(unknown.RequestLines().size(), 2u);

    const HttpTestServer empty([](const std::string&) -> HttpTestResponse {
        return {200, DiscIdAnswer(Json::array())};
    });
    EXPECT_EQ(LookUpMusicBrainz(QueryTo(empty)).outcome, Outcome::NoMatch);
    EXPECT_EQ(empty.RequestLines().size(), 1u);
}

TEST(MusicBrainzLookup, ABusyServerIsAskedOnceMoreASecondLater)
{
    int requests = 0;
    const HttpTestServer busyOnce([&](const std::string&) -> HttpTestResponse {
        if (++requests == 1)
            return {503, "slow down"};
        return {200, kFullAnswer};
    });
    const auto start = std::chrono::steady_clock::now();
    const MusicBrainzLookup lookup = LookUpMusicBrainz(QueryTo(busyOnce));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(lookup.outcome, Outcome::Found) << lookup.failure;
    EXPECT_EQ(busyOnce.RequestLines(),
              (std::vector<std::string>(2, "GET " + kByIdTarget + " HTTP/1.1")));

    const HttpTestServer busy([](const std::string&) -> HttpTestResponse {
        return {503, "slow down"};
    });
    const MusicBrainzLookup failed = LookUpMusicBrainz(QueryTo(busy));
    EXPECT_EQ(failed.outcome, Outcome::Failed);
    EXPECT_NE(failed.failure.find("HTTP 503"), std::string::npos) << failed.failure;
    EXPECT_EQ(busy.RequestLines().size(), 2u) << "asked twice, not more";
}

TEST(MusicBrainzLookup, FailuresSayWhy)
{
    MusicBrainzQuery dead;
    dead.server = "http://" + HttpTestServer::ClosedAddress();
    dead.discId = kDiscId;
    dead.toc = kToc;
    dead.http.connectTimeout = 5s;
    const MusicBrainzLookup unreachable = LookUpMusicBrainz(dead);
    EXPECT_EQ(unreachable.outcome, Outcome::Failed);
    EXPECT_NE(unreachable.failure.find("Could not connect to " + dead.server), std::string::npos)
        << unreachable.failure;

    const HttpTestServer broken(HttpTestServer::ServerError());
    const MusicBrainzLookup error = LookUpMusicBrainz(QueryTo(broken));
    EXPECT_EQ(error.outcome, Outcome::Failed);
    EXPECT_NE(error.failure.find("HTTP 500"), std::string::npos) << error.failure;

    const HttpTestServer garbled([](const std::string&) -> HttpTestResponse {
        return {200, R"({"releases": [{"id": "cut off)"};
    });
    const MusicBrainzLookup unreadable = LookUpMusicBrainz(QueryTo(garbled));
    EXPECT_EQ(unreadable.outcome, Outcome::Failed);
    EXPECT_NE(unreadable.failure.find("unreadable"), std::string::npos) << unreadable.failure;
}

TEST(MusicBrainzLookup, ACancelledLookupEndsWithoutWaitingForTheServer)
{
    const HttpTestServer silent = HttpTestServer::Silent();
    std::stop_source stop;
    MusicBrainzQuery query = QueryTo(silent);
    query.http.requestTimeout = 10min;
    query.http.stop = stop.get_token();
    std::thread stopper([&] {
        // Past the pacing after the previous test's request: the request is under way.
        std::this_thread::sleep_for(1200ms);
        stop.request_stop();
    });
    EXPECT_EQ(LookUpMusicBrainz(query).outcome, Outcome::Cancelled);
    stopper.join();
    EXPECT_TRUE(silent.WaitForClosedConnections(1, 10s));

    // Already cancelled: no request at all.
    const HttpTestServer server([](const std::string&) -> HttpTestResponse {
        return {200, kFullAnswer};
    });
    query = QueryTo(server);
    query.http.stop = stop.get_token();
    EXPECT_EQ(LookUpMusicBrainz(query).outcome, Outcome::Cancelled);
    EXPECT_TRUE(server.RequestLines().empty());
}

} // namespace
} // namespace corvath
