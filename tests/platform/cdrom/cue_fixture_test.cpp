#include "platform/cdrom/images/cue_image.h"
#include "support/image_data_files.h"
#include "support/temp_dir.h"
#include "support/test_data.h"

#include <cctype>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

// Other projects' cue sheets (tests/data/cue, see its README), read with data files of the sizes
// they need written beside them; what those projects' own tests expect, on the disc.
namespace corvath {
namespace {

namespace fs = std::filesystem;

struct DataFile {
    std::string name; ///< as this system holds it, below the sheet's folder
    uint32_t sectors = 0;
};

// What a test expects of a track: no pre-gap, text, ISRC or copy permission unless said.
struct Track {
    uint32_t start = 0;
    std::optional<uint32_t> pregap;
    std::string title;
    std::string performer;
    std::string isrc;
    bool copy = false;

    Track Text(std::string titled, std::string by = {}) const
    {
        Track track = *this;
        track.title = std::move(titled);
        track.performer = std::move(by);
        return track;
    }
    Track Isrc(std::string code) const
    {
        Track track = *this;
        track.isrc = std::move(code);
        return track;
    }
    Track Copy() const
    {
        Track track = *this;
        track.copy = true;
        return track;
    }
};

Track At(uint32_t start, std::optional<uint32_t> pregap = std::nullopt)
{
    Track track;
    track.start = start;
    track.pregap = pregap;
    return track;
}

struct Sheet {
    std::string fixture; ///< below tests/data/cue
    std::vector<DataFile> files;
    uint32_t leadOut = 0;
    std::vector<Track> tracks;
    std::string title;
    std::string performer;
    std::string catalog;
    uint8_t firstTrack = 1;
    bool text = true; ///< false: its text is in a code page nobody can tell from the bytes

    Sheet Text(std::string titled, std::string by) const
    {
        Sheet sheet = *this;
        sheet.title = std::move(titled);
        sheet.performer = std::move(by);
        return sheet;
    }
    Sheet Catalog(std::string number) const
    {
        Sheet sheet = *this;
        sheet.catalog = std::move(number);
        return sheet;
    }
    Sheet FirstTrack(uint8_t number) const
    {
        Sheet sheet = *this;
        sheet.firstTrack = number;
        return sheet;
    }
    Sheet UnknownCodePage() const
    {
        Sheet sheet = *this;
        sheet.text = false;
        return sheet;
    }
};

Sheet Of(std::string fixture, std::vector<DataFile> files, uint32_t leadOut,
         std::vector<Track> tracks)
{
    Sheet sheet;
    sheet.fixture = std::move(fixture);
    sheet.files = std::move(files);
    sheet.leadOut = leadOut;
    sheet.tracks = std::move(tracks);
    return sheet;
}

void PrintTo(const Sheet& sheet, std::ostream* out)
{
    *out << sheet.fixture;
}

ImageParse ReadFixture(const Sheet& sheet, const test::TempDir& dir)
{
    const fs::path source = test::TestDataPath("cue/" + sheet.fixture);
    const fs::path copy = dir / source.filename().string();
    fs::copy_file(source, copy);
    for (const DataFile& file : sheet.files)
        test::WriteSizedDataFile(dir / file.name, file.sectors);
    return ReadCueImage(copy);
}

class CueFixtureTest : public ::testing::TestWithParam<Sheet> {};

TEST_P(CueFixtureTest, LaysOutTheDiscItsProjectExpects)
{
    const Sheet& sheet = GetParam();
    test::TempDir dir;
    const ImageParse parse = ReadFixture(sheet, dir);
    ASSERT_TRUE(parse.layout) << parse.problem;
    const ImageLayout& layout = *parse.layout;
    EXPECT_EQ(layout.leadOut, sheet.leadOut);
    EXPECT_EQ(layout.catalog, sheet.catalog);
    if (sheet.text) {
        EXPECT_EQ(layout.title, sheet.title);
        EXPECT_EQ(layout.performer, sheet.performer);
    }
    EXPECT_EQ(layout.files.size(), sheet.files.size());
    ASSERT_EQ(layout.tracks.size(), sheet.tracks.size());
    for (std::size_t k = 0; k < sheet.tracks.size(); ++k) {
        SCOPED_TRACE("track " + std::to_string(sheet.firstTrack + k));
        const ImageTrack& got = layout.tracks[k];
        const Track& want = sheet.tracks[k];
        EXPECT_EQ(got.number, sheet.firstTrack + k);
        EXPECT_EQ(got.start, want.start);
        EXPECT_EQ(got.pregap, want.pregap);
        EXPECT_EQ(got.isrc, want.isrc);
        EXPECT_EQ(got.copyPermitted, want.copy);
        EXPECT_FALSE(got.data);
        if (sheet.text) {
            EXPECT_EQ(got.title, want.title);
            EXPECT_EQ(got.performer, want.performer);
        }
    }
}

// libcue's t/99_tracks.cue: 99 tracks in one file (libcue counts them), the 91 between the sixth
// and the last two a second apart.
Sheet NinetyNineTracks()
{
    std::vector<Track> tracks = {At(0).Text("Pinion"),
                                 At(4737).Text("Wish"),                  // 01:03:12
                                 At(21742).Text("Last"),                 // 04:49:67
                                 At(43085).Text("Help Me I Am in Hell"), // 09:34:35
                                 At(51800).Text("Happiness in Slavery"), // 11:30:50
                                 At(75882).Text("Gave Up")};             // 16:51:57
    for (uint32_t k = 0; k <= 90; ++k)                                   // 21:00:25 to 22:30:25
        tracks.push_back(At(94525 + 75 * k).Text("untitled"));
    tracks.push_back(At(101350).Text("Physical (You're So)"));
    tracks.push_back(At(126090).Text("Suck")); // 28:01:15
    return Of("libcue/99_tracks.cue", {{"dummy.wav", 130000}}, 130000, tracks)
        .Text("Broken", "Nine Inch Nails");
}

const std::string kSpecials = "The Specials - Singles - 0";
const std::string kGangsters = kSpecials + "1 - Gangsters.wav";
const std::string kRudi = kSpecials + "2 - Rudi, A Message To You.wav";

// libcue's t/multiple_files.c and t/noncompliant.c: Gangsters and Rudi, one file each; track 2's
// pre-gap is at the start of its own file, PREGAP silence, or the end of track 1's file.
Sheet Specials(std::string fixture, uint32_t gangsters, uint32_t leadOut, Track rudi)
{
    return Of(std::move(fixture), {{kGangsters, gangsters}, {kRudi, 13000}}, leadOut,
              {At(0).Text("Gangsters", "The Specials"),
               rudi.Text("Rudi, A Message To You", "The Specials")});
}

// teeb's EAC sheet of Sting's single: a file per track in a folder named with backslashes, each
// track's pre-gap at the end of the file before; files two seconds longer than that gap's start.
Sheet Sting()
{
    const std::string folder = "You Still Touch Me/";
    return Of("teeb/ASCII_text_with_CRLF_line_terminators.cue",
              {{folder + "01 - You Still Touch Me (LP Version).wav", 17047 + 150},
               {folder + "02 - Lullaby To An Anxious Child.wav", 8638 + 150},
               {folder + "03 - The Pirate's Bride.wav", 22715 + 150},
               {folder + "04 - Twenty-five to Midnight.wav", 20000}},
              68850,
              {At(0).Text("You Still Touch Me (LP Version)", "Sting").Isrc("1043D7101144"),
               At(17197, 17047).Text("Lullaby To An Anxious Child", "Sting").Isrc("1043D7102144"),
               At(25985, 25835).Text("The Pirate's Bride", "Sting").Isrc("1043D7102144"),
               At(48850, 48700).Text("Twenty-five to Midnight", "Sting").Isrc("1043D7101144")})
        .Text("You Still Touch Me", "Sting")
        .Catalog("0401035271001");
}

// teeb's UTF-8 sheet with a byte-order mark and CRLF: ten files of one track each.
Sheet Rojek()
{
    const std::vector<std::string> titles = {"Lato 76",
                                             "Beksa",
                                             "Krótkie momenty skupienia",
                                             "Czas który pozostał",
                                             "Kot i Pelikan",
                                             "Kokon",
                                             "To co będzie",
                                             "Syreny",
                                             "Lekkość",
                                             "Pomysł 2"};
    Sheet sheet = Of("teeb/UTF-8_Unicode_with_BOM_text_with_CRLF_line_terminators.cue", {}, 0, {})
                      .Text("Składam się z ciągłych powtórzeń", "Artur Rojek");
    for (std::size_t k = 0; k < titles.size(); ++k) {
        const std::string number = (k < 9 ? "0" : "") + std::to_string(k + 1);
        const auto sectors = static_cast<uint32_t>(12000 + 100 * k);
        sheet.files.push_back({number + " - Artur Rojek - " + titles[k] + ".flac", sectors});
        sheet.tracks.push_back(At(sheet.leadOut).Text(titles[k], "Artur Rojek"));
        sheet.leadOut += sectors;
    }
    return sheet;
}

// teeb's Windows-1252 EAC sheet with CRLF: files named with an en dash (0x96), here in UTF-8 as
// this system names them; each track's pre-gap at the end of the file before, files 150 sectors
// longer than that.
Sheet Bjork()
{
    const std::vector<std::string> titles = {"Magic vs. Technology",
                                             "Get Into It",
                                             "Kiss Away",
                                             "'73",
                                             "Lil' Bro",
                                             "Moda",
                                             "Dr. Aura",
                                             "Gonna Make The Pony Trap",
                                             "Sweet Maria's Dreams",
                                             "Inside Of You"};
    // INDEX 00 of the next track in each file: 02:02:37, 05:46:36, 05:33:60, 03:49:66, 03:14:56,
    // 05:18:28, 03:07:69, 03:39:32, 04:47:65.
    const std::vector<uint32_t> gapAt = {9187,  25986, 25035, 17241, 14606,
                                         23878, 14094, 16457, 21590};
    const std::string band = "Brant Bjork & The Bros";
    Sheet sheet = Of("teeb/Non-ISO_extended-ASCII_text_with_CRLF.cue", {}, 0, {})
                      .Text("Saved By Magic (Disc 1)", band);
    for (std::size_t k = 0; k < titles.size(); ++k) {
        const std::string number = (k < 9 ? "0" : "") + std::to_string(k + 1);
        const uint32_t sectors = k < gapAt.size() ? gapAt[k] + 150 : 20000;
        sheet.files.push_back({number + ". " + band + " \u2013 " + titles[k] + ".wav", sectors});
        const std::optional<uint32_t> pregap =
            k == 0 ? std::nullopt : std::optional<uint32_t>(sheet.leadOut - 150);
        sheet.tracks.push_back(At(sheet.leadOut, pregap).Text(titles[k], band));
        sheet.leadOut += sectors;
    }
    return sheet;
}

// CueSheetNet's encoding tests: the same EAC sheet of Aqualung in Windows-1252 and in UTF-16
// with its mark; INDEX 00 and INDEX 01 of every track in one file.
Sheet Aqualung(std::string fixture)
{
    return Of(std::move(fixture), {{"Jethro Tull - Aqualung.wav", 190000}}, 190000,
              {At(33, 0).Text("Aqualung"), At(29518, 29418).Text("Cross-Eyed Mary"),
               At(48253, 48143).Text("Cheap Day Return"), At(54493, 54390).Text("Mother Goose"),
               At(72025, 71860).Text("Wond\u2019ring Aloud"), At(80625, 80530).Text("Up to Me"),
               At(95313, 95165).Text("My God"), At(127678, 127550).Text("Hymn 43"),
               At(142538, 142400).Text("Slipstream"), At(148048, 147850).Text("Locomotive Breath"),
               At(168028, 167908).Text("Wind-Up")})
        .Text("Aqualung", "Jethro Tull");
}

const std::string kStallman = "Richard Stallman";
const std::string kSoftware = "Join us now we have the software";
const std::string kThreeMusketeers = "Bryan Adams, Rod Stewart & Sting";

INSTANTIATE_TEST_SUITE_P(
    Projects, CueFixtureTest,
    ::testing::Values(
        NinetyNineTracks(),
        // libcue's t/standard_cue.c: REM lines, CD-Text; track 1 is 04:17:52 long.
        Of("libcue/standard_cue.cue", {{"My Bloody Valentine - Loveless.wav", 30000}}, 30000,
           {At(0).Text("Only Shallow", "My Bloody Valentine"),
            At(19327).Text("Loomer", "My Bloody Valentine")})
            .Text("Loveless", "My Bloody Valentine"),
        // Rudi's INDEX 00 and INDEX 01 00:00:28 in its own file.
        Specials("libcue/multiple_files.cue", 12600, 25600, At(12628, 12600)),
        // Rudi's PREGAP 00:00:28, silence no file holds.
        Specials("libcue/multiple_files_pregap.cue", 12600, 25628, At(12628, 12600)),
        // Rudi's INDEX 00 02:47:74 in Gangsters' file, which libcue takes as Gangsters' length.
        Specials("libcue/noncompliant.cue", 12749, 25749, At(12749, 12599)),
        // libcue's t/single_idx_00.c, a FLAC file named as WAVE: track 1 from INDEX 00 at the
        // disc's start (a hidden track) to 03:22:70, 04:19:74 long; track 2 at 07:44:69, its
        // pre-gap from 07:42:69.
        Of("libcue/single_idx_00.cue", {{"Bloc Party - Silent Alarm.flac", 50000}}, 50000,
           {At(15220, 0).Text("Like Eating Glass", "Bloc Party"),
            At(34869, 34719).Text("Helicopter", "Bloc Party")})
            .Text("Silent Alarm", "Bloc Party"),
        // libcdio's test/cdda.cue with CRLF, as cd-info shows it (test/cdda.right): lead-out at
        // 00:06:02, so BOING.BIN holds 302 sectors.
        Of("libcdio/cdda.cue", {{"BOING.BIN", 302}}, 302, {At(0)}).Text(kSoftware, kStallman),
        // libcdio's test/data/cdda_4_5.cue (test/cdda_4_5.right): tracks 4 and 5, copy permitted.
        Of("libcdio/cdda_4_5.cue", {{"cdda_4_5.bin", 302}}, 302, {At(0).Copy(), At(150).Copy()})
            .FirstTrack(4),
        // libcdio's test/data/p1.cue, CRLF (test/testpregap.c): pre-gaps at 0 and 150.
        Of("libcdio/p1.cue", {{"BOING.BIN", 302}}, 302, {At(75, 0).Copy(), At(225, 150).Copy()})
            .Text(kSoftware, kStallman)
            .Catalog("0000010271955"),
        Sting(), Rojek(), Bjork(),
        // teeb's ASCII sheet: a file per track, "ISRC 000000000000" for tracks without one.
        Of("teeb/ASCII_text.cue",
           {{"01 - All For Love.wav", 20000}, {"02 - All For Love (instrumental).wav", 21000}},
           41000,
           {At(0).Text("All For Love", kThreeMusketeers),
            At(20000).Text("All For Love (instrumental)", kThreeMusketeers)})
            .Text("The Three Musketeers", kThreeMusketeers),
        Aqualung("cuesheetnet/1252.cue"), Aqualung("cuesheetnet/UTF-16 LE BOM.cue"),
        // deflacue's Windows-1251 sheet with CRLF, two sides of a record in two files: track 2
        // at 04:55:06 of side A, tracks 4 and 5 at 02:03:03 and 04:14:07 of side B (deflacue's
        // sample positions / 588). Its files are named in Windows-1251, as here.
        Of("deflacue/vys2.cue",
           {{"01. \xD1\xF2\xEE\xF0\xEE\xED\xE0 \xC0.flac", 40000},
            {"02. \xD1\xF2\xEE\xF0\xEE\xED\xE0 \xC2.flac", 30000}},
           70000, {At(0), At(22131), At(40000), At(49228), At(59057)})
            .UnknownCodePage()),
    [](const ::testing::TestParamInfo<Sheet>& info) {
        std::string name = info.param.fixture.substr(0, info.param.fixture.rfind('.'));
        for (char& c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

// The files of a sheet from Windows keep the names it gives them when they are there: a
// backslash in a file's name, a byte of Windows-1252.
TEST(CueFixtureNames, TheNameAsWrittenComesFirst)
{
    test::TempDir dir;
    Sheet sting = Sting();
    for (DataFile& file : sting.files)
        file.name = "You Still Touch Me\\" + file.name.substr(file.name.find('/') + 1);
    const ImageParse parse = ReadFixture(sting, dir);
    ASSERT_TRUE(parse.layout) << parse.problem;
    EXPECT_EQ(parse.layout->files.at(0).path.filename().string(),
              "You Still Touch Me\\01 - You Still Touch Me (LP Version).wav");
    EXPECT_EQ(parse.layout->leadOut, sting.leadOut);
}

TEST(CueFixtureNames, AMissingFileIsNamedAsTheSheetWritesIt)
{
    test::TempDir dir;
    Sheet bjork = Bjork();
    bjork.files.erase(bjork.files.begin() + 1);
    const ImageParse parse = ReadFixture(bjork, dir);
    EXPECT_FALSE(parse.layout);
    EXPECT_EQ(parse.problem, "its data file \"" + fs::weakly_canonical(dir.path()).string() +
                                 "/02. Brant Bjork & The Bros \x96 Get Into It.wav\" is missing");
}

} // namespace
} // namespace corvath
