#include "cd/musicbrainz_release.h"

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

} // namespace
} // namespace corvath
