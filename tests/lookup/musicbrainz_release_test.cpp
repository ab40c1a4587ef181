#include "lookup/musicbrainz_release.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

constexpr const char* kDiscId = "lwHl8fGzJyLXQR33ug60E8jhf4k-";

// Valid JSON of another shape is as unreadable as broken JSON; nulls are merely unknown.
TEST(MusicBrainzReleases, AnswersOfAnotherShapeThrowAndNullsStayEmpty)
{
    for (const char* answer : {"", "[]", "42", R"({"releases": 5})", R"({"releases": [1]})",
                               R"({"releases": [{"media": {"position": 1}}]})",
                               R"({"releases": [{"media": [{"discs": [7]}]}]})"})
        EXPECT_ANY_THROW(ParseMusicBrainzReleases(answer, kDiscId, 3)) << answer;

    const std::vector<MusicBrainzRelease> releases = ParseMusicBrainzReleases(
        R"({"releases": [{"id": "n", "title": null, "country": null, "artist-credit": null,
            "label-info": [{"catalog-number": null, "label": null}],
            "media": [{"position": 1, "format": null, "track-count": 1,
                       "discs": [{"id": "lwHl8fGzJyLXQR33ug60E8jhf4k-"}],
                       "tracks": [{"position": 1, "title": "Only"}]}]}]})",
        kDiscId, 1);
    ASSERT_EQ(releases.size(), 1u);
    EXPECT_EQ(releases[0].title, "");
    EXPECT_EQ(releases[0].label, "");
    EXPECT_EQ(releases[0].format, "");
    EXPECT_EQ(releases[0].trackTitles, std::vector<std::string>{"Only"});
}

// The details a release adds beyond titles: the set, the identifiers, a track's own artist
// only where it is not the album's (a compilation's guest), and the first ISRC of a recording.
TEST(MusicBrainzReleases, TheDetailsOfTheMatchingMedium)
{
    const char* answer = R"({"releases": [{"id": "rel", "title": "Set",
        "release-group": {"id": "group"},
        "artist-credit": [{"name": "Band", "joinphrase": " & ", "artist": {"id": "a-band"}},
                          {"name": "Friend", "artist": {"id": "a-friend"}}],
        "media": [
          {"position": 1, "track-count": 2, "tracks": [{"position": 1, "title": "x"},
                                                       {"position": 2, "title": "y"}]},
          {"position": 2, "track-count": 2, "discs": [{"id": "lwHl8fGzJyLXQR33ug60E8jhf4k-"}],
           "tracks": [
             {"id": "t2", "position": 2, "title": "Guest Song",
              "artist-credit": [{"name": "Guest", "artist": {"id": "a-guest"}}],
              "recording": {"id": "r2", "isrcs": []}},
             {"id": "t1", "position": 1, "title": "Own Song",
              "artist-credit": [{"name": "Band", "joinphrase": " & ", "artist": {"id": "a-band"}},
                                {"name": "Friend", "artist": {"id": "a-friend"}}],
              "recording": {"id": "r1", "isrcs": ["GBAYE0000001", "GBAYE0000009"]}}]}]}]})";
    const std::vector<MusicBrainzRelease> releases = ParseMusicBrainzReleases(answer, kDiscId, 2);
    ASSERT_EQ(releases.size(), 1u);
    const ReleaseDetails& details = releases[0].details;
    EXPECT_EQ(details.albumArtist, "Band & Friend");
    EXPECT_EQ(details.albumArtistId, "a-band");
    EXPECT_EQ(details.albumId, "rel");
    EXPECT_EQ(details.releaseGroupId, "group");
    EXPECT_EQ(details.discId, kDiscId);
    EXPECT_EQ(releases[0].mediumPosition, 2);
    EXPECT_EQ(releases[0].mediumCount, 2);
    EXPECT_EQ(details.tracks,
              (std::vector<ReleaseDetails::Track>{{"", "a-band", "r1", "t1", "GBAYE0000001"},
                                                  {"Guest", "a-guest", "r2", "t2", ""}}));

    // Matched by its track count, the medium does not carry this disc: its ID is not claimed.
    EXPECT_EQ(ParseMusicBrainzReleases(answer, "Other0000000000000000000000-", 2)[0].details.discId,
              "");
}

} // namespace
} // namespace corvath
