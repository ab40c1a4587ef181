// CDDB entries read as the xmcd format defines them: real freedb entries (tests/data/cddb, see
// its NOTICE) with what their sources say of them, and the format's rules one by one.

#include "lookup/cddb_entry_lines.h"
#include "support/recorded_entry.h"
#include "support/test_data.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvath {
namespace {

using test::RecordedEntry;
using Calls = std::vector<std::string>;

RecordedEntry Read(std::string_view entry, uint8_t first, uint8_t last, bool titlesFound = true)
{
    RecordedEntry target;
    EXPECT_EQ(ApplyCddbEntry(entry, first, last, target), titlesFound) << entry;
    return target;
}

struct FreedbEntry {
    const char* file;
    uint8_t tracks;
    const char* artist;
    const char* album;
    std::optional<std::string> year;
    std::optional<std::string> genre;
    std::optional<std::pair<int, int>> disc;
    std::map<int, std::string> someTitles; // rows worth a look: continued, with "/", last
};

const std::vector<FreedbEntry> kFreedbEntries = {
    // Three titles continue on a second line, one of them with the space that separates the
    // words at the start of the second.
    {"6f0c6509",
     9,
     "Beethoven",
     "Beethoven Piano Sonatas",
     "1998",
     "Classical",
     std::nullopt,
     {{0, "Sonata No. 14 in C-sharp Minor, Op. 27, No. 2 Moonlight - I. Adagio sostenuto"},
      {3, "Sonata No. 8 in C Minor, Op. 13 Pathetique - I. Grove; Allegro molto e con brio"},
      {6, "Sonata No. 23 in F Minor, Op. 57 Appassionata - I. Allegro assai"},
      {7, "II. Andante con moto"},
      {8, "III. Allegro ma non troppo; Presto"}}},
    // Titles with " / " of their own stay whole; an empty year is an empty year.
    {"9e0e740c",
     12,
     "Madonna",
     "Ray of light",
     "",
     "Pop",
     std::nullopt,
     {{0, "Drowned world / substitue for love"}, {7, "Shanti / ashtangi"}, {11, "Mer girl"}}},
    // The genre as the entry spells it: matching it to the list is the target's.
    {"d1115d11",
     17,
     "Madonna",
     "The Immaculate Collection",
     "2005",
     "other",
     std::nullopt,
     {{0, "Lucky Star"}, {7, "Papa Don't Preach"}, {16, "Holiday"}}},
    {"d50dd30f",
     15,
     "Various",
     "Ska Island",
     "1997",
     "Reggae",
     std::nullopt,
     {{5, "Honky tonk Parts 1 & 2"}, {14, "Keep On Running"}}},
    // The second disc of a set, without a year or genre line.
    {"2f0d8939",
     57,
     "Dan Levenson",
     "Old Time Festival Tunes For Clawhammer Banjo",
     std::nullopt,
     std::nullopt,
     std::pair{2, 0},
     {{0, "June Apple"}, {21, "Old Joe Clark - 1 - major"}, {56, "Yellow Rose of Texas"}}},
    // libcddb's entry that continues titles in every way it can: its expected listing names
    // each track "'<title>' by <artist>", split at the first " / "; whole, the title is
    // "<artist> / <title>".
    {"12345678",
     13,
     "DiscArtist",
     "DiscTitle",
     "2003",
     "Test data",
     std::nullopt,
     {{0, "TrackTitle1"},
      {2, "TrackArtist3 cntd. / TrackTitle3"},
      {3, "TrackArtist4 cntd. / TrackTitle4"},
      {4, "TrackArtist5 / TrackTitle5"},
      {5, "TrackArtist6 / TrackTitle6 cntd."},
      {6, "TrackArtist7 / TrackTitle7 cntd."},
      {7, "Track/Artist8 / TrackTitle8"},
      {8, "Track/ Artist9 / TrackTitle9"},
      {9, "Track /Artist10 / TrackTitle10"},
      {10, "TrackArtist11 / Track/Title11"}}},
};

class FreedbEntries : public ::testing::TestWithParam<FreedbEntry> {};

TEST_P(FreedbEntries, GiveWhatTheirSourcesSay)
{
    const FreedbEntry& expected = GetParam();
    const std::string entry = test::ReadTestData(std::string("cddb/") + expected.file);
    const RecordedEntry read = Read(entry, 1, expected.tracks);
    EXPECT_EQ(read.artist, expected.artist);
    EXPECT_EQ(read.album, expected.album);
    EXPECT_EQ(read.year, expected.year);
    EXPECT_EQ(read.genre, expected.genre);
    EXPECT_EQ(read.disc, expected.disc);
    EXPECT_EQ(read.titles.size(), expected.tracks) << "every track has its title";
    for (const auto& [row, title] : expected.someTitles)
        EXPECT_EQ(read.titles.at(row), title) << "row " << row;

    // With CRLF line ends, as servers send them, nothing changes.
    std::string crlf;
    for (const char c : entry)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const RecordedEntry readCrlf = Read(crlf, 1, expected.tracks);
    EXPECT_EQ(readCrlf.calls, read.calls);
}

INSTANTIATE_TEST_SUITE_P(CddbEntryLines, FreedbEntries, ::testing::ValuesIn(kFreedbEntries),
                         [](const auto& info) { return std::string("entry_") + info.param.file; });

TEST(CddbEntryLines, CallsComeFieldsFirstThenTitlesByRow)
{
    // Lines in any order: the titles still go by row, after the disc's fields.
    const RecordedEntry read = Read("TTITLE1=Two\r\n"
                                    "DGENRE=Rock\r\n"
                                    "TTITLE0=One\r\n"
                                    "DYEAR=1999\r\n"
                                    "DTITLE=Artist / Album\r\n",
                                    1, 2);
    EXPECT_EQ(read.calls, (Calls{"artist Artist", "album Album", "year 1999", "genre Rock",
                                 "align left", "title 0 One", "title 1 Two"}));
}

struct DiscTitleCase {
    const char* lines;
    const char* artist;
    const char* album;
};

TEST(CddbEntryLines, DiscTitleSplitsAtTheFirstSpacedSlash)
{
    const DiscTitleCase cases[] = {
        {"DTITLE=AC/DC / Back in Black\n", "AC/DC", "Back in Black"},
        {"DTITLE=Artist/Album\n", "Artist/Album", "Artist/Album"},
        {"DTITLE= Solo Artist \t\n", "Solo Artist", "Solo Artist"},
        {"DTITLE=A / B / C\n", "A", "B / C"},
        {"DTITLE= / Album\n", "", "Album"},
        {"DTITLE=Artist / \n", "Artist", ""},
        // Continued, the value is whole before it splits, even across the separator.
        {"DTITLE=AC/DC / Back \nDTITLE=in Black\n", "AC/DC", "Back in Black"},
        {"DTITLE=Some Artist /\nDTITLE= Some Album\n", "Some Artist", "Some Album"},
        {"DTITLE=Art\nDYEAR=1980\nDTITLE=ist / Album\n", "Artist", "Album"},
    };
    for (const DiscTitleCase& c : cases) {
        const RecordedEntry read = Read(c.lines, 1, 1, false);
        EXPECT_EQ(read.artist, c.artist) << c.lines;
        EXPECT_EQ(read.album, c.album) << c.lines;
    }
}

struct TitlesCase {
    const char* lines;
    uint8_t first;
    uint8_t last;
    std::map<int, std::string> titles;
};

TEST(CddbEntryLines, TitlesGoByTheirKeysNumber)
{
    const TitlesCase cases[] = {
        // A missing key leaves its row alone and shifts no other.
        {"TTITLE0=One\nTTITLE2=Three\n", 1, 3, {{0, "One"}, {2, "Three"}}},
        // Other keys between titles are not titles.
        {"TTITLE0=One\nEXTT0=note\nTTITLE1=Two\n", 1, 2, {{0, "One"}, {1, "Two"}}},
        // A continued key joins its lines, and the next key still gets its own row.
        {"TTITLE0=Lo\nTTITLE0=ng\nTTITLE1=Two\n", 1, 2, {{0, "Long"}, {1, "Two"}}},
        {"TTITLE0=Part\nTTITLE1=Two\nTTITLE0= one\n", 1, 2, {{0, "Part one"}, {1, "Two"}}},
        // TTITLE0 is the disc's first track whatever its number.
        {"TTITLE0=Three\nTTITLE1=Four\n", 3, 5, {{0, "Three"}, {1, "Four"}}},
        // Numbers past the disc's tracks are ignored.
        {"TTITLE0=One\nTTITLE1=Two\nTTITLE5=Six\nTTITLE99999999999999999999=Far\n",
         1,
         2,
         {{0, "One"}, {1, "Two"}}},
        // Only "TTITLE" and digits is a title's key.
        {"TTITLE0=One\nTTITLE=x\nTTITLE-1=x\nTTITLE1a=x\nXTTITLE1=x\n# TTITLE1=x\n",
         1,
         2,
         {{0, "One"}}},
        {"TTITLE0=A \r\nTTITLE0=B\r\n", 1, 1, {{0, "A B"}}},
        {"TTITLE0=\n", 1, 1, {{0, ""}}},
    };
    for (const TitlesCase& c : cases) {
        const RecordedEntry read = Read(c.lines, c.first, c.last);
        EXPECT_EQ(read.titles, c.titles) << c.lines;
    }
}

TEST(CddbEntryLines, TitlesAreFoundOnlyForTheDiscsRows)
{
    // A title past the disc's last track is no title of the disc: the lookup may go on to
    // another entry.
    RecordedEntry outside = Read("DTITLE=A / B\nTTITLE3=Four\n", 1, 3, false);
    EXPECT_EQ(outside.calls, (Calls{"artist A", "album B"}));
    RecordedEntry none = Read("DTITLE=A / B\nDYEAR=2001\n", 1, 3, false);
    EXPECT_EQ(none.calls, (Calls{"artist A", "album B", "year 2001"}));
    // Any one row is enough.
    RecordedEntry second = Read("TTITLE1=Two\n", 1, 3);
    EXPECT_EQ(second.calls, (Calls{"align left", "title 1 Two"}));
    EXPECT_FALSE(ApplyCddbEntry("", 1, 3, second));
}

TEST(CddbEntryLines, YearAndGenreAreJoinedTrimmedAndPassedAsTheyAre)
{
    const RecordedEntry read = Read("DYEAR=\t19\nDYEAR=87 \nDGENRE= Hard \nDGENRE=rock\n"
                                    "DTITLE=X\nTTITLE0= Ünïcödé – 東京 \nTTITLE1=Café = Bar\n",
                                    1, 2);
    EXPECT_EQ(read.year, "1987");
    EXPECT_EQ(read.genre, "Hard rock");
    EXPECT_EQ(read.titles, (std::map<int, std::string>{{0, "Ünïcödé – 東京"}, {1, "Café = Bar"}}));
}

// An answer's control characters never reach a field or a title: each is a blank, tab aside.
TEST(CddbEntryLines, ControlCharactersBecomeBlanks)
{
    using namespace std::string_literals;
    const RecordedEntry read = Read("DTITLE=Art\x01ist / Al\x7f"
                                    "bum\nDYEAR=19\09\nTTITLE0=nul\0byte\n"
                                    "TTITLE1=\x1b[1mbold\rtext\x1b\nTTITLE2=\ttab\tin\t\n"s,
                                    1, 3);
    EXPECT_EQ(read.artist, "Art ist");
    EXPECT_EQ(read.album, "Al bum");
    EXPECT_EQ(read.year, "19 9");
    EXPECT_EQ(read.titles,
              (std::map<int, std::string>{{0, "nul byte"}, {1, "[1mbold text"}, {2, "tab\tin"}}));
}

} // namespace
} // namespace corvath
