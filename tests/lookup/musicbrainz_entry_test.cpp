#include "lookup/musicbrainz_entry.h"
#include "support/musicbrainz_test_json.h"
#include "support/recorded_entry.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace corvath {
namespace {

class EntryLog : public CddbEntryTarget {
public:
    void ClearDiscFields() override { calls.push_back("clear"); }
    void SetArtist(const std::string& artist) override { calls.push_back("artist " + artist); }
    void SetAlbum(const std::string& album) override { calls.push_back("album " + album); }
    void SetYear(const std::string& year) override { calls.push_back("year " + year); }
    void SelectGenre(const std::string& name) override { calls.push_back("genre " + name); }
    void SetDisc(int number, int total) override
    {
        calls.push_back("disc " + std::to_string(number) + " of " + std::to_string(total));
    }
    void AlignTitlesLeft() override { calls.push_back("align left"); }
    void SetTitle(int row, const std::string& title) override
    {
        calls.push_back("title " + std::to_string(row) + ' ' + title);
    }
    void SetReleaseDetails(const ReleaseDetails& details) override
    {
        calls.push_back("details " + details.albumId);
    }

    std::vector<std::string> calls;
};

MusicBrainzRelease Release()
{
    MusicBrainzRelease release;
    release.artist = "Some Artist & Guest";
    release.title = "The Album";
    release.date = "1997-05-02";
    release.year = 1997;
    release.trackTitles = {"One", "Two", "Three"};
    release.details.albumId = "mbid";
    release.mediumPosition = 2;
    release.mediumCount = 3;
    return release;
}

TEST(MusicBrainzEntry, FillsTheFieldsAndTheRowsTheDiscHas)
{
    MusicBrainzRelease release = Release();
    release.genres = {"art pop", "hip hop", "rock"};
    EntryLog log;
    ApplyMusicBrainzRelease(release, 2, log);
    // "hip hop" is no list entry ("Hip-Hop" is); "rock" is, spelled as the list spells it.
    EXPECT_EQ(log.calls,
              (std::vector<std::string>{"clear", "artist Some Artist & Guest", "album The Album",
                                        "year 1997", "genre Rock", "disc 2 of 3", "align left",
                                        "title 0 One", "title 1 Two", "details mbid"}));
}

TEST(MusicBrainzEntry, NoListedGenreAndNoDateLeaveThemEmpty)
{
    MusicBrainzRelease release = Release();
    release.year = 0;
    release.genres = {"shoegaze"};
    EntryLog log;
    ApplyMusicBrainzRelease(release, 5, log);
    EXPECT_EQ(log.calls,
              (std::vector<std::string>{"clear", "artist Some Artist & Guest", "album The Album",
                                        "year ", "disc 2 of 3", "align left", "title 0 One",
                                        "title 1 Two", "title 2 Three", "details mbid"}));
}

// "\u0000" is valid JSON: an answer's control characters never reach a field or a title.
TEST(MusicBrainzEntry, AnAnswersControlCharactersBecomeBlanks)
{
    using namespace std::string_literals;
    const std::string answer = test::DiscIdAnswer(nlohmann::json::array(
        {test::ReleaseJson("id",
                           "Al\x1b"
                           "bum",
                           {test::MediumJson(1, "", {"nul\0byte"s, "line\r\nbreak"})})}));
    const std::vector<MusicBrainzRelease> releases = ParseMusicBrainzReleases(answer, "", 2);
    ASSERT_EQ(releases.size(), 1u);
    test::RecordedEntry entry;
    ApplyMusicBrainzRelease(releases[0], 2, entry);
    EXPECT_EQ(entry.album, "Al bum");
    EXPECT_EQ(entry.artist, "Artist of Al bum");
    EXPECT_EQ(entry.titles, (std::map<int, std::string>{{0, "nul byte"}, {1, "line  break"}}));
}

} // namespace
} // namespace corvath
