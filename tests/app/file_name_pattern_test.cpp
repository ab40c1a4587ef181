#include "app/file_name_pattern.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

TrackRecord Track()
{
    TrackRecord track;
    track.title = "One";
    track.trackNumber = 3;
    track.trackTotal = 12;
    track.discNumber = 2;
    track.discTotal = 2;
    track.artist = "Guest";
    track.albumArtist = "Band";
    track.album = "Live";
    track.date = "1999-05-01";
    track.genre = "Rock";
    return track;
}

TEST(FileNamePattern, TokensGiveTheTracksValues)
{
    struct Case {
        const char* pattern;
        const char* name;
    };
    for (const Case& c : {
             Case{"%albumartist%/%album%/%track% - %title%", "Band/Live/03 - One"},
             Case{"%albumartist%/%album%/%disc%-%track% %title%", "Band/Live/2-03 One"},
             Case{"%artist% (%year%) %genre% %track% of %tracktotal%, disc %disc% of %disctotal%",
                  "Guest (1999) Rock 03 of 12, disc 2 of 2"},
             Case{"%title%", "One"},
         }) {
        EXPECT_EQ(PatternedName(c.pattern, Track(), 5), c.name) << c.pattern;
    }
    TrackRecord noAlbumArtist = Track();
    noAlbumArtist.albumArtist.clear();
    noAlbumArtist.discNumber = 0;
    EXPECT_EQ(PatternedName("%albumartist%/%disc%%track%", noAlbumArtist, 5), "Guest/03")
        << "the artist stands in for the album artist; an unknown disc gives nothing";
    noAlbumArtist.trackNumber = 0;
    EXPECT_EQ(PatternedName("%artist%/%track% %title%", noAlbumArtist, 5), "Guest/One")
        << "no blank leads a name whose first token is unknown";
}

// Values that a file system or a player cannot take become safe; the title alone stays as the
// user typed it but for '"'.
TEST(FileNamePattern, UnsafeValuesBecomeSafeNames)
{
    TrackRecord track = Track();
    track.title = "What? Me: \"Worried\" <a|b> \\ c/d *.";
    track.album = ".hidden. ";
    EXPECT_EQ(PatternedName("%album%/%title%", track, 5),
              "_hidden/What_ Me_ _Worried_ _a_b_ _ c_d _");
    track.album = "";
    EXPECT_EQ(PatternedName("%album%/%title%", track, 5).substr(0, 2), "_/");
    EXPECT_EQ(PatternedName("%title%", track, 5), "What? Me: 'Worried' <a|b> \\ c/d *.")
        << "a cue sheet cannot name a file holding '\"'";

    track.title = std::string(300, 'x');
    track.album = std::string(254, 'y') + "ü" + std::string(10, 'w'); // "ü" on bytes 254 and 255
    const std::string name = PatternedName("%album%/%title%", track, 5);
    const std::size_t slash = name.find('/');
    EXPECT_EQ(slash, 254u) << "cut before a character it would split";
    EXPECT_EQ(name.size() - slash - 1, 250u) << "room left for the extension";
}

TEST(FileNamePattern, PatternsLeadingOutsideOrNamingNoTokenAreRefused)
{
    for (const char* refused : {"", "../x", "/abs/%title%", "%album%/../%title%", "./%title%",
                                "%album%//%title%", "%title%/", "%nonsense%", "%title"})
        EXPECT_NE(FileNamePatternProblem(refused), "") << refused;
    for (const char* accepted : {"%title%", "a..b/%title%", "%album%/%track% %title%"})
        EXPECT_EQ(FileNamePatternProblem(accepted), "") << accepted;
    EXPECT_EQ(PatternOrTitle("../x"), "%title%");
    EXPECT_EQ(PatternOrTitle("%track%"), "%track%");
}

} // namespace
} // namespace corvath
