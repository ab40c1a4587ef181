#include "app/rip_cue_sheet.h"
#include "app/rip_log.h"
#include "app/rip_report_files.h"
#include "support/audio_tools.h"
#include "support/file_size_limit.h"
#include "support/run_command.h"
#include "support/temp_dir.h"
#include "tags/genre_names.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

namespace corvath {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

// A TOC with MSF addresses, as the rip reads it, of tracks starting at the sectors given.
CdToc MsfToc(const std::vector<uint32_t>& starts, uint32_t leadOut)
{
    CdToc toc;
    toc.FirstTrack = 1;
    toc.LastTrack = static_cast<uint8_t>(starts.size());
    const auto address = [](uint32_t sector) {
        const uint32_t frames = sector + kCdLeadInSectors;
        return std::array<uint8_t, 4>{0, static_cast<uint8_t>(frames / 4500),
                                      static_cast<uint8_t>(frames / 75 % 60),
                                      static_cast<uint8_t>(frames % 75)};
    };
    for (std::size_t k = 0; k < starts.size(); ++k) {
        toc.Entries[k].AdrControl = 0x10;
        toc.Entries[k].TrackNumber = static_cast<uint8_t>(k + 1);
        toc.Entries[k].Address = address(starts[k]);
    }
    toc.Entries[starts.size()].TrackNumber = 0xAA;
    toc.Entries[starts.size()].Address = address(leadOut);
    return toc;
}

// An accurately ripped track with its checksums.
RippedTrack Track(int32_t number, const std::string& title)
{
    RippedTrack track;
    track.number = number;
    track.title = title;
    track.file = title + ".wav";
    track.checksums = TrackChecksumValues{0x1234ABCDu + static_cast<uint32_t>(number), 0xBEEF,
                                          0xCAFE0000u + static_cast<uint32_t>(number)};
    track.verdict = {TrackVerdict::Kind::Accurate, 12, 2};
    return track;
}

// Three tracks of 1000, 1500 and 1500 sectors, all accurately ripped.
RipRecord ThreeTrackRecord()
{
    RipRecord record;
    record.program = "Corvath 1.0";
    record.date = "2026-12-08 19:00";
    record.drive = "TESTCO CD-1";
    record.readOffset = 6;
    record.secureReads = true;
    record.toc = MsfToc({0, 1000, 2500}, 4000);
    record.pregaps.resize(3);
    record.disc.Artist = "The Band";
    record.disc.Album = "Songs";
    record.disc.Year = "1999";
    record.disc.GenreIndex = GenreIndexOf("Rock") + 1;
    record.discId = "1a00fa03";
    for (int32_t n = 1; n <= 3; ++n)
        record.tracks.push_back(Track(n, "Song " + std::to_string(n)));
    return record;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// What follows the log's last blank line.
std::string Summary(const std::string& log)
{
    const std::size_t blank = log.rfind("\n\n");
    return blank == std::string::npos ? log : log.substr(blank + 2);
}

TEST(RipLogTest, HoldsTheRipTheTocAndEachTrack)
{
    RipRecord record = ThreeTrackRecord();
    record.tracks[0].title = "Song\n1"; // a line break stays inside its line
    record.pregaps[1] = 850;
    record.tracks[1].verdict.kind = TrackVerdict::Kind::NotAccurate;
    record.tracks[1].doubtfulSectors = {9000, 7501, 7500, 7502};
    record.tracks[2].verdict = {};
    record.tracks[2].checksums.reset();
    record.tracks[2].file.clear();
    record.tracks[2].failure = "the drive could not read sector 3000";

    const std::string log = RipLogText(record);
    EXPECT_THAT(log, Not(HasSubstr("\r")));
    const std::vector<std::string> lines = Lines(log);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Corvath 1.0");
    for (const char* line : {
             "Date: 2026-12-08 19:00",
             "Drive: TESTCO CD-1",
             "Read offset: +6 samples",
             "Secure reads: on",
             "Disc ID: 1a00fa03",
             "  Track     Start     Length    Start sector  End sector  Type   Pre-gap",
             "  1         00:00.00  00:13.25  0             999         audio  -",
             "  2         00:13.25  00:20.00  1000          2499        audio  00:02.00",
             "  3         00:33.25  00:20.00  2500          3999        audio  -",
             "  Lead-out  00:53.25            4000",
             "Track 1: Song 1",
             "  File: Song 1.wav",
             "  Copy CRC: 1234ABCE",
             "  AccurateRip v1: 0000BEEF",
             "  AccurateRip v2: CAFE0001 (matched)",
             "  AccurateRip: accurately ripped (confidence 12)",
             "Track 2: Song 2",
             "  AccurateRip v2: CAFE0002",
             "  AccurateRip: not accurate",
             "  Doubtful sectors: 4 at 01:40.00-01:40.02, 02:00.00",
             "Track 3: Song 3",
             "  File: -",
             "  Copy CRC: -",
             "  AccurateRip v1: -",
             "  AccurateRip: not verified",
             "  Failed: the drive could not read sector 3000",
         })
        EXPECT_THAT(lines, Contains(line));
    EXPECT_EQ(Summary(log), "Track 3 failed; Track 2 not accurately ripped\n");

    record.readOffset = -1;
    record.secureReads = false;
    EXPECT_THAT(Lines(RipLogText(record)), Contains("Read offset: -1 sample"));
    EXPECT_THAT(Lines(RipLogText(record)), Contains("Secure reads: off"));
    record.lookupFailure = "Could not reach db.example: Timeout was reached";
    EXPECT_THAT(
        Lines(RipLogText(record)),
        Contains("AccurateRip lookup failed: Could not reach db.example: Timeout was reached"));
    record.toc = {}; // a disc whose TOC could not be read
    EXPECT_THAT(Lines(RipLogText(record)), Contains("Table of contents: none"));
}

TEST(RipLogTest, SummaryBlamesTheRipOnlyWhenTheDatabaseDisagrees)
{
    using Kind = TrackVerdict::Kind;
    const struct {
        std::vector<Kind> kinds;
        const char* summary;
    } cases[] = {
        {{Kind::Accurate, Kind::Accurate, Kind::Accurate}, "All tracks accurately ripped\n"},
        {{Kind::NotInDatabase, Kind::NotInDatabase, Kind::NotInDatabase},
         "The disc is not in the AccurateRip database\n"},
        {{Kind::LookupFailed, Kind::LookupFailed, Kind::LookupFailed},
         "The AccurateRip lookup failed\n"},
        {{Kind::NotChecked, Kind::NotChecked, Kind::NotChecked},
         "All tracks ripped, not verified\n"},
        {{Kind::NotAccurate, Kind::Accurate, Kind::NotAccurate},
         "Tracks 1, 3 not accurately ripped\n"},
        {{Kind::Accurate, Kind::NotChecked, Kind::NotAccurate},
         "Track 3 not accurately ripped; Track 2 not verified\n"},
    };
    for (const auto& test : cases) {
        RipRecord record = ThreeTrackRecord();
        for (std::size_t i = 0; i < test.kinds.size(); ++i)
            record.tracks[i].verdict.kind = test.kinds[i];
        EXPECT_EQ(Summary(RipLogText(record)), test.summary);
    }

    RipRecord failed = ThreeTrackRecord();
    for (RippedTrack& track : failed.tracks) {
        track.verdict = {};
        track.failure = "no disc";
    }
    EXPECT_EQ(Summary(RipLogText(failed)), "Tracks 1, 2, 3 failed\n");

    // Tracks a Stop left are not ripped, not failed.
    failed.tracks[1].stopped = true;
    failed.tracks[2].stopped = true;
    EXPECT_EQ(Summary(RipLogText(failed)), "Track 1 failed; Tracks 2, 3 not ripped\n");
}

// Track 2's pre-gap (25 sectors before its start) lies in track 1's file; track 4's lies in the
// file of track 3, which failed, so it has no INDEX 00, and is listed as the sheet's third.
TEST(CueSheetTest, PregapsGoToTheEndOfThePreviousFile)
{
    RipRecord record = ThreeTrackRecord();
    record.toc = MsfToc({0, 1000, 2500, 3000}, 4000);
    record.pregaps = {std::nullopt, 975u, std::nullopt, 2990u};
    record.disc.Album = "Say \"Hi\"\nTwice";
    record.disc.GenreIndex = GenreIndexOf("Hard Rock") + 1;
    record.tracks[2].file.clear();
    record.tracks[2].failure = "read error";
    record.tracks.push_back(Track(4, "Song 4"));
    record.tracks[3].file = "Song 4.mp3";

    EXPECT_EQ(CueSheetText(record), "REM GENRE \"Hard Rock\"\n"
                                    "REM DATE 1999\n"
                                    "REM DISCID 1a00fa03\n"
                                    "REM COMMENT \"Corvath 1.0\"\n"
                                    "PERFORMER \"The Band\"\n"
                                    "TITLE \"Say 'Hi' Twice\"\n"
                                    "FILE \"Song 1.wav\" WAVE\n"
                                    "  TRACK 01 AUDIO\n"
                                    "    TITLE \"Song 1\"\n"
                                    "    PERFORMER \"The Band\"\n"
                                    "    INDEX 01 00:00:00\n"
                                    "  TRACK 02 AUDIO\n"
                                    "    TITLE \"Song 2\"\n"
                                    "    PERFORMER \"The Band\"\n"
                                    "    INDEX 00 00:13:00\n"
                                    "FILE \"Song 2.wav\" WAVE\n"
                                    "    INDEX 01 00:00:00\n"
                                    "FILE \"Song 4.mp3\" MP3\n"
                                    "  TRACK 03 AUDIO\n"
                                    "    TITLE \"Song 4\"\n"
                                    "    PERFORMER \"The Band\"\n"
                                    "    INDEX 01 00:00:00\n");
}

// What the disc tells beyond its TOC goes into the log and the cue sheet, where readers of cue
// sheets find it again.
TEST(RipReportTest, IsrcsPreEmphasisAndTheCatalogueNumberAreKept)
{
    RipRecord record = ThreeTrackRecord();
    record.facts.Catalog = "0724384260927";
    record.facts.Tracks.resize(3);
    record.facts.Tracks[0].Isrc = "GBAYE0200771";
    record.facts.Tracks[1].PreEmphasis = true;
    record.facts.Tracks[2].Isrc = "not an isrc";

    const std::string cue = CueSheetText(record);
    EXPECT_NE(cue.find("REM COMMENT \"Corvath 1.0\"\nCATALOG 0724384260927\n"), std::string::npos);
    EXPECT_NE(cue.find("  TRACK 01 AUDIO\n    ISRC GBAYE0200771\n"), std::string::npos);
    EXPECT_NE(cue.find("  TRACK 02 AUDIO\n    FLAGS PRE\n    TITLE"), std::string::npos);
    EXPECT_EQ(cue.find("not an isrc"), std::string::npos);

    const std::vector<std::string> log = Lines(RipLogText(record));
    for (const char* line :
         {"Catalogue number: 0724384260927", "  ISRC: GBAYE0200771", "  Pre-emphasis: yes"})
        EXPECT_NE(std::find(log.begin(), log.end(), line), log.end()) << line;
    EXPECT_EQ(std::count(log.begin(), log.end(), "  Pre-emphasis: yes"), 1);

    // A sheet without those facts says nothing of them.
    const std::string plain = CueSheetText(ThreeTrackRecord());
    for (const char* keyword : {"CATALOG", "FLAGS", "ISRC"})
        EXPECT_EQ(plain.find(keyword), std::string::npos) << keyword;
}

class RipReportFilesTest : public ::testing::Test {
protected:
    std::vector<std::string> FolderNames() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempDir dir_;
};

// libcdio reads the cue sheet as a disc image, which needs a data file of the sheet's name
// beside it; it does not open the tracks' files.
std::string CdInfo(const fs::path& cue)
{
    fs::path bin = cue;
    test::WriteFile(bin.replace_extension(".bin"), "");
    return test::RunCommand("cd-info --no-device-info --cue-file " + test::Quoted(cue) + " 2>&1");
}

TEST_F(RipReportFilesTest, CueSheetBesideTheFilesOpensInOtherReaders)
{
    if (!test::HaveTool("cd-info") || !test::HaveTool("cueconvert") || !test::HaveTool("sox"))
        GTEST_SKIP() << "cd-info, cueconvert or sox missing";
    RipRecord record = ThreeTrackRecord();
    for (const RippedTrack& track : record.tracks)
        test::Sox(dir_ / track.file, "-b 16 -c 2 -r 44100", "1", "sine 440");
    ASSERT_TRUE(WriteRipReport(record, dir_.path().string(), TRipOptions{}).empty());
    const fs::path cue = dir_ / "The Band - Songs.cue";

    const std::string info = CdInfo(cue);
    EXPECT_THAT(info, HasSubstr("CD-ROM Track List (1 - 3)"));
    EXPECT_THAT(info, HasSubstr("CD-TEXT for Disc:\n\tTITLE: Songs\n\tPERFORMER: The Band"));
    for (int n = 1; n <= 3; ++n)
        EXPECT_THAT(info, HasSubstr("CD-TEXT for Track  " + std::to_string(n) +
                                    ":\n\tTITLE: Song " + std::to_string(n)));
    const std::string toc = test::RunCommand("cueconvert -i cue -o toc " + test::Quoted(cue));
    for (int n = 1; n <= 3; ++n)
        EXPECT_THAT(toc, HasSubstr("FILE \"Song " + std::to_string(n) + ".wav\" 0"));

    // With a pre-gap, track 2 starts in track 1's file.
    record.pregaps[1] = 990;
    fs::remove(cue);
    fs::remove(dir_ / "The Band - Songs.log");
    ASSERT_TRUE(WriteRipReport(record, dir_.path().string(), TRipOptions{}).empty());
    const std::string withPregap = CdInfo(cue);
    EXPECT_THAT(withPregap, HasSubstr("CD-ROM Track List (1 - 3)"));
    EXPECT_THAT(withPregap, HasSubstr("CD-TEXT for Track  2:\n\tTITLE: Song 2"));
}

TEST_F(RipReportFilesTest, NamesFollowTheDiscFields)
{
    TDiscFields disc;
    EXPECT_EQ(RipReportName(disc, "1a00fa03"), "1a00fa03");
    EXPECT_EQ(RipReportName(disc, ""), "Rip");
    disc.Album = "Back in Black";
    EXPECT_EQ(RipReportName(disc, "1a00fa03"), "Back in Black");
    disc.Artist = "AC/DC";
    EXPECT_EQ(RipReportName(disc, "1a00fa03"), "AC-DC - Back in Black");
    disc.Artist = "Line\nbreak";
    EXPECT_EQ(RipReportName(disc, ""), "Line break - Back in Black");

    // Cut between characters, never inside one.
    disc.Artist.clear();
    disc.Album.clear();
    for (int i = 0; i < 150; ++i)
        disc.Album += "\xC3\xA9";
    const std::string cut = RipReportName(disc, "");
    EXPECT_EQ(cut, disc.Album.substr(0, 200));
}

TEST_F(RipReportFilesTest, AnEarlierRipsFilesStay)
{
    const RipRecord record = ThreeTrackRecord();
    test::WriteFile(dir_ / "The Band - Songs.log", "earlier");
    fs::create_directory(dir_ / "The Band - Songs (2).cue");
    ASSERT_TRUE(WriteRipReport(record, dir_.path().string(), TRipOptions{}).empty());
    EXPECT_EQ(test::ReadFile(dir_ / "The Band - Songs.log"), "earlier");
    EXPECT_EQ(test::ReadFile(dir_ / "The Band - Songs (3).log"), RipLogText(record));
    EXPECT_EQ(test::ReadFile(dir_ / "The Band - Songs (3).cue"), CueSheetText(record));
    EXPECT_EQ(FolderNames(),
              (std::vector<std::string>{"The Band - Songs (2).cue", "The Band - Songs (3).cue",
                                        "The Band - Songs (3).log", "The Band - Songs.log"}));
}

TEST_F(RipReportFilesTest, SettingsChooseTheFiles)
{
    RipRecord record = ThreeTrackRecord();
    TRipOptions options;
    options.WriteLog = false;
    ASSERT_TRUE(WriteRipReport(record, dir_.path().string(), options).empty());
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"The Band - Songs.cue"});

    // Without a ripped file there is nothing for a cue sheet to name.
    for (RippedTrack& track : record.tracks)
        track.file.clear();
    options.WriteLog = true;
    ASSERT_TRUE(WriteRipReport(record, dir_.path().string(), options).empty());
    EXPECT_EQ(FolderNames(),
              (std::vector<std::string>{"The Band - Songs (2).log", "The Band - Songs.cue"}));

    options.WriteLog = options.WriteCueSheet = false;
    ASSERT_TRUE(WriteRipReport(record, dir_.path().string(), options).empty());
    EXPECT_EQ(FolderNames().size(), 2u);
}

TEST_F(RipReportFilesTest, AFailedWriteSaysWhyAndLeavesNoFile)
{
    const RipRecord record = ThreeTrackRecord();
    test::WriteFile(dir_ / "output", "a file, not a folder");
    const std::string output = (dir_ / "output").string();
    EXPECT_EQ(WriteRipReport(record, output, TRipOptions{}),
              (std::vector<std::string>{
                  "Cannot write " + output + "/The Band - Songs.log: Not a directory",
                  "Cannot write " + output + "/The Band - Songs.cue: Not a directory"}));

    fs::remove(dir_ / "output");
    {
        const test::FileSizeLimit full(100); // the disc fills up within the log
        const std::vector<std::string> failures =
            WriteRipReport(record, dir_.path().string(), TRipOptions{});
        ASSERT_FALSE(failures.empty());
        EXPECT_THAT(failures[0], HasSubstr("The Band - Songs.log: File too large"));
    }
    EXPECT_EQ(FolderNames(), std::vector<std::string>{});
}

// The cue sheet is still written when the log cannot be.
TEST_F(RipReportFilesTest, ALogThatCannotBeWrittenLeavesTheCueSheet)
{
    const RipRecord record = ThreeTrackRecord();
    const std::size_t cueBytes = CueSheetText(record).size();
    ASSERT_LT(cueBytes, RipLogText(record).size());
    std::vector<std::string> failures;
    {
        const test::FileSizeLimit full(cueBytes); // room for the cue sheet alone
        failures = WriteRipReport(record, dir_.path().string(), TRipOptions{});
    }
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_THAT(failures[0], HasSubstr("The Band - Songs.log: File too large"));
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"The Band - Songs.cue"});
}

} // namespace
} // namespace corvath
