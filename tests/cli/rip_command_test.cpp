#include "platform/files/program_folder.h"
#include "support/audio_tools.h"
#include "support/disc_image.h"
#include "support/http_test_server.h"
#include "support/run_command.h"
#include "support/temp_dir.h"
#include "tags/genre_names.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <sys/wait.h>

namespace corvath {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const std::vector<uint8_t>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

// The settings files live beside the executable, so each test runs its own copy of the program;
// its output folder is "Output" there.
class CliRipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Test programs are built beside corvath-cli.
        fs::copy_file(ProgramFolder() + "corvath-cli", cli_);
        test::WriteFile(dir_ / "options.ini", "[Rip]\nAccurateRipServer=http://" +
                                                  database_.Address() + "/accuraterip\n");
    }
    // Exit status of a command, run after the shell commands of before; its output goes to
    // files in the test folder.
    int Status(const std::string& arguments, const std::string& before = "")
    {
        const std::string command = before + cli_.string() + " " + arguments + " >'" +
                                    (dir_ / "stdout").string() + "' 2>'" +
                                    (dir_ / "stderr").string() + "'";
        return WEXITSTATUS(std::system(command.c_str()));
    }
    std::string Stderr() const { return test::ReadFile(dir_ / "stderr"); }
    // The key of the image's disc in cd.dat, as the toc command shows it.
    std::string DiscKey(const fs::path& image)
    {
        const std::string toc =
            test::RunCommand(cli_.string() + " toc --image '" + image.string() + "'");
        const std::string label = "Windows disc serial: ";
        const std::size_t at = toc.find(label);
        EXPECT_NE(at, std::string::npos) << toc;
        if (at == std::string::npos)
            return {};
        return toc.substr(at + label.size(), toc.find('\n', at) - at - label.size());
    }
    fs::path Output(const std::string& name) const { return dir_ / "Output" / name; }

    test::TempDir dir_;
    fs::path cli_ = dir_ / "corvath-cli";
    // An AccurateRip database that knows no disc.
    test::HttpTestServer database_{[](const std::string&) {
        return test::HttpTestResponse{404, "not found"};
    }};
};

TEST_F(CliRipTest, RipsTheChosenTracksExactly)
{
    // Audio before track 1 stays out of it.
    const std::vector<test::ImageTrack> tracks = {
        {test::AudioSectors(25, 1)}, {test::AudioSectors(7, 2)}, {test::AudioSectors(33, 3)}};
    const fs::path image = test::WriteCueImage(dir_ / "disc", tracks, 40);

    ASSERT_EQ(Status("rip --image '" + image.string() + "' --format wav --tracks 1,3"), 0)
        << Stderr();
    EXPECT_TRUE(test::WaveData(Output("Track01.wav")) == Bytes(tracks[0].sectors));
    EXPECT_TRUE(test::WaveData(Output("Track03.wav")) == Bytes(tracks[2].sectors));
    EXPECT_FALSE(fs::exists(Output("Track02.wav")));
    const std::string progress = test::ReadFile(dir_ / "stdout");
    // Into a file: a line for each track done, none for its progress.
    EXPECT_EQ(std::ranges::count(progress, '%'), 2) << progress;
    for (const char* shown : {"Track 01 Track01: 100% -> ", "Track 03 Track03: 100% -> "})
        EXPECT_NE(progress.find(shown), std::string::npos) << shown << " in " << progress;
    // A disc without artist and album names its log and cue sheet by its identifier.
    std::vector<std::string> reports;
    for (const auto& entry : fs::directory_iterator(dir_ / "Output"))
        if (entry.path().extension() != ".wav")
            reports.push_back(entry.path().filename().string());
    std::ranges::sort(reports);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].size(), 12u) << reports[0];
    EXPECT_TRUE(reports[0].ends_with(".cue") && reports[1].ends_with(".log")) << reports[1];
    // Each track's verdict follows it; a disc unknown to the database is no failure.
    for (const char* shown :
         {"\n  Track 01 Track01: not in database\n", "\n  Track 03 Track03: not in database\n",
          "\nThe disc is not in the AccurateRip database\n"})
        EXPECT_NE(progress.find(shown), std::string::npos) << shown << " in " << progress;
    // Each track's copy CRC follows it, as zlib computes it.
    if (test::HaveTool("python3")) {
        test::WriteFile(dir_ / "track1.raw", Bytes(tracks[0].sectors));
        const std::string crc = test::ZlibCrc32(dir_ / "track1.raw");
        EXPECT_NE(progress.find("\n  copy CRC " + crc + ", AccurateRip v1 "), std::string::npos)
            << progress;
    }
}

// A log that cannot be written fails the run, and the cue sheet is still written.
TEST_F(CliRipTest, ALogThatCannotBeWrittenFailsTheRunButNotTheCueSheet)
{
    // Thirty one-sector tracks: each file and the cue sheet fit in 4 KiB, the log does not.
    std::vector<test::ImageTrack> tracks;
    for (uint32_t track = 1; track <= 30; ++track)
        tracks.push_back({test::AudioSectors(1, track)});
    const fs::path image = test::WriteCueImage(dir_ / "disc", tracks);
    EXPECT_EQ(Status("rip --image '" + image.string() + "' --format wav --artist Band --album Live",
                     "trap '' XFSZ; ulimit -f 8; "),
              1);
    EXPECT_NE(Stderr().find("Band - Live.log: File too large"), std::string::npos) << Stderr();
    EXPECT_TRUE(fs::exists(Output("Band - Live.cue"))) << Stderr();
    EXPECT_FALSE(fs::exists(Output("Band - Live.log")));
    EXPECT_TRUE(fs::exists(Output("Track30.wav")));
}

// A plain rip takes the disc's audio tracks, leaving out the data track a drive cannot read as
// audio; a track named twice is ripped once.
TEST_F(CliRipTest, APlainRipTakesTheAudioTracksEachOnce)
{
    const std::vector<test::ImageTrack> tracks = {{test::AudioSectors(25, 1)},
                                                  {std::vector<uint8_t>(30 * 2352, 0), true}};
    const fs::path image = test::WriteCueImage(dir_ / "mixed", tracks);
    ASSERT_EQ(Status("rip --image '" + image.string() + "' --format wav"), 0) << Stderr();
    EXPECT_TRUE(test::WaveData(Output("Track01.wav")) == Bytes(tracks[0].sectors));
    EXPECT_FALSE(fs::exists(Output("Track02.wav")));

    ASSERT_EQ(Status("rip --image '" + image.string() + "' --format wav --tracks 1,1-1"), 0)
        << Stderr();
    EXPECT_TRUE(test::WaveData(Output("Track01.wav")) == Bytes(tracks[0].sectors));
    EXPECT_FALSE(fs::exists(Output("Track01 (2).wav"))) << "the track once";
}

// A hidden track shows as track 0 and is ripped when asked for as that, and only then.
TEST_F(CliRipTest, TrackZeroIsTheHiddenTrack)
{
    const fs::path image = test::WriteCueImage(dir_ / "disc", {{test::AudioSectors(25, 1)}}, 90);
    ASSERT_EQ(Status("toc --image '" + image.string() + "'"), 0) << Stderr();
    EXPECT_NE(test::ReadFile(dir_ / "stdout").find("\n    0  00:02:00  00:01:15  hidden audio\n"),
              std::string::npos);
    ASSERT_EQ(Status("rip --image '" + image.string() + "' --format wav --tracks 0"), 0)
        << Stderr();
    EXPECT_TRUE(test::WaveData(Output("Hidden track.wav")) ==
                test::ReadFile(dir_ / "disc.bin").substr(0, 90 * 2352));
    EXPECT_FALSE(fs::exists(Output("Track01.wav")));
    const std::string progress = test::ReadFile(dir_ / "stdout");
    EXPECT_NE(progress.find("\n  Track 00 Hidden track: not in database\n"), std::string::npos)
        << progress;

    ASSERT_EQ(Status("rip --image '" + image.string() + "' --format wav"), 0) << Stderr();
    EXPECT_TRUE(fs::exists(Output("Track01.wav")));
    EXPECT_FALSE(fs::exists(Output("Hidden track (2).wav"))) << "not ripped unless asked for";
}

// Sheets as rippers write them: one WAVE or FLAC file per track, CD-Text and ISRCs. Each track
// rips to exactly its file's samples, named by the CD-Text, its ISRC in its tags.
TEST_F(CliRipTest, ASheetOfOneFilePerTrackRipsEachFileExactly)
{
    if (!test::HaveTool("flac") || !test::HaveTool("metaflac"))
        GTEST_SKIP() << "flac and metaflac make and read the FLAC files";
    const std::vector<uint8_t> first = test::AudioSectors(30, 11);
    const std::vector<uint8_t> second = test::AudioSectors(20, 12);
    test::WriteFile(dir_ / "one.pcm", Bytes(first));
    test::WriteFile(dir_ / "two.pcm", Bytes(second));
    for (const char* name : {"one", "two"}) {
        test::RunCommand("flac -s -f --force-raw-format --endian=little --sign=signed "
                         "--channels=2 --bps=16 --sample-rate=44100 -o " +
                         test::Quoted(dir_ / (std::string(name) + ".flac")) + " " +
                         test::Quoted(dir_ / (std::string(name) + ".pcm")));
        test::RunCommand("flac -s -f -d -o " + test::Quoted(dir_ / (std::string(name) + ".wav")) +
                         " " + test::Quoted(dir_ / (std::string(name) + ".flac")));
    }
    for (const char* extension : {"wav", "flac"}) {
        const std::string type = std::string(extension) == "wav" ? "WAVE" : "FLAC";
        const fs::path sheet = dir_ / (std::string(extension) + ".cue");
        test::WriteFile(sheet, "PERFORMER \"Sheet Artist\"\nTITLE \"Sheet Album\"\n"
                               "FILE \"one." +
                                   std::string(extension) + "\" " + type +
                                   "\n  TRACK 01 AUDIO\n    TITLE \"First\"\n"
                                   "    ISRC USRC17607839\n    INDEX 01 00:00:00\n"
                                   "FILE \"two." +
                                   extension + "\" " + type +
                                   "\n  TRACK 02 AUDIO\n    TITLE \"Second\"\n"
                                   "    INDEX 01 00:00:00\n");
        fs::remove_all(dir_ / "Output");
        ASSERT_EQ(Status("rip --image '" + sheet.string() + "' --format flac"), 0) << Stderr();
        for (const auto& [title, audio] : {std::pair{"First", &first}, {"Second", &second}}) {
            const fs::path ripped = Output(std::string(title) + ".flac");
            test::RunCommand("flac -s -f -d --force-raw-format --endian=little --sign=signed -o " +
                             test::Quoted(dir_ / "ripped.pcm") + " " + test::Quoted(ripped));
            EXPECT_TRUE(test::ReadFile(dir_ / "ripped.pcm") == Bytes(*audio)) << extension << title;
        }
        EXPECT_EQ(test::RunCommand("metaflac --show-tag=ISRC --show-tag=ARTIST " +
                                   test::Quoted(Output("First.flac"))),
                  "ISRC=USRC17607839\nARTIST=Sheet Artist\n")
            << extension;
    }
}

// An enhanced CD: audio, then a data session. The last audio track ends where its audio ends,
// not 11,400 sectors later at the data track, so it rips exactly and shows its own length.
TEST_F(CliRipTest, AnEnhancedCdsLastAudioTrackEndsBeforeTheDataSession)
{
    const std::vector<uint8_t> first = test::AudioSectors(40, 21);
    const std::vector<uint8_t> last = test::AudioSectors(375, 22); // five seconds
    test::WriteFile(dir_ / "audio.bin", Bytes(first) + Bytes(last));
    test::WriteFile(dir_ / "data.bin", std::string(300 * 2048, 'd'));
    const fs::path sheet = dir_ / "enhanced.cue";
    test::WriteFile(sheet, "REM SESSION 01\nFILE \"audio.bin\" BINARY\n"
                           "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                           "  TRACK 02 AUDIO\n    INDEX 01 00:00:40\n"
                           "REM SESSION 02\nFILE \"data.bin\" BINARY\n"
                           "  TRACK 03 MODE1/2048\n    INDEX 01 00:00:00\n");

    const std::string toc =
        test::RunCommand(cli_.string() + " toc --image " + test::Quoted(sheet) + " 2>&1");
    EXPECT_NE(toc.find("    2  00:02:40  00:05:00  audio"), std::string::npos) << toc;
    ASSERT_EQ(Status("rip --image '" + sheet.string() + "' --format wav --tracks 2"), 0)
        << Stderr();
    EXPECT_TRUE(test::WaveData(Output("Track02.wav")) == Bytes(last));
}

TEST_F(CliRipTest, EncodesTagsAndCleansUpWithTheStoredTitles)
{
    const std::vector<test::ImageTrack> tracks = {
        {test::AudioSectors(30, 4)}, {test::AudioSectors(8, 5)}, {test::AudioSectors(12, 6)}};
    const fs::path image = test::WriteCueImage(dir_ / "disc", tracks);
    // The disc's stored fields: two titles, the second no file name.
    const std::string serial = DiscKey(image);
    const int rock = GenreIndexOf("Rock") + 1;
    test::WriteFile(dir_ / "cd.dat", "[" + serial +
                                         "]\nCDArtist=Stored\nCDAlbum=Stored Album\nCDYear=1999\n"
                                         "CDGenre=" +
                                         std::to_string(rock) +
                                         "\nCDComment=\nCDTrackNumber=2\n1=Intro\n2=a/b\n");

    EXPECT_EQ(Status("rip --image '" + image.string() + "' --format mp3 --artist Band --year 2001"),
              1);
    EXPECT_NE(Stderr().find(dir_.path().string() +
                            "/Output/a/b.wav is not a valid file name. Please rename the Title in "
                            "the CD tracks list."),
              std::string::npos)
        << Stderr();

    for (const char* wav : {"Intro.wav", "Track03.wav"})
        EXPECT_FALSE(fs::exists(Output(wav))) << wav << " should be gone after encoding";
    const std::string mp3 = test::ReadFile(Output("Intro.mp3"));
    ASSERT_GT(mp3.size(), 128u);
    const std::string tag = mp3.substr(mp3.size() - 128);
    EXPECT_EQ(tag.substr(0, 3), "TAG");
    EXPECT_EQ(tag.substr(3, 6), std::string("Intro\0", 6));
    EXPECT_EQ(tag.substr(33, 5), std::string("Band\0", 5));
    EXPECT_EQ(tag.substr(63, 13), std::string("Stored Album\0", 13));
    EXPECT_EQ(tag.substr(93, 4), "2001");
    EXPECT_EQ(tag[126], 1);  // track
    EXPECT_EQ(tag[127], 17); // the ID3v1 number of Rock
    const std::string probe = test::RunCommand(
        "ffprobe -v error -show_entries format=format_name:format_tags=title,track -of "
        "default=nw=1 '" +
        Output("Intro.mp3").string() + "'");
    EXPECT_NE(probe.find("format_name=mp3"), std::string::npos) << probe;
    EXPECT_NE(probe.find("TAG:title=Intro"), std::string::npos) << probe;
    // Beyond the stored titles a track is named by its number.
    const std::string third = test::ReadFile(Output("Track03.mp3"));
    ASSERT_GT(third.size(), 128u);
    EXPECT_EQ(third[third.size() - 2], 3);
}

// Tracks encoded on several lanes while the next is read come out as they do one at a time,
// the album's loudness too.
TEST_F(CliRipTest, EncoderLanesMakeTheSameFilesAsOneLane)
{
    std::vector<test::ImageTrack> tracks;
    for (uint32_t track = 0; track < 5; ++track)
        tracks.push_back({test::AudioSectors(40 + 15 * track, track)});
    const fs::path image = test::WriteCueImage(dir_ / "disc", tracks);
    const auto ripWith = [&](const std::string& jobs) {
        fs::remove_all(Output(""));
        EXPECT_EQ(Status("rip --image '" + image.string() +
                         "' --format flac,mp3,ogg --replaygain album " + jobs),
                  0)
            << Stderr();
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(Output("")))
            if (entry.is_regular_file() && entry.path().extension() != ".log")
                files[entry.path().lexically_relative(Output("")).string()] =
                    test::ReadFile(entry.path());
        return files;
    };
    const std::map<std::string, std::string> oneLane = ripWith("-j 2");
    EXPECT_EQ(oneLane.size(), 16u) << "five files of each format and the cue sheet";
    EXPECT_TRUE(oneLane == ripWith("-j4"));
}

// Tracks are chosen by position; their stored titles are found by the disc's track numbers.
TEST_F(CliRipTest, ADiscStartingLateFindsItsTitlesByTrackNumber)
{
    const fs::path image = test::WriteCueImage(
        dir_ / "late", {{test::AudioSectors(10, 1)}, {test::AudioSectors(10, 2)}}, 0, 3);
    test::WriteFile(dir_ / "cd.dat",
                    "[" + DiscKey(image) + "]\nCDTrackNumber=4\n1=Track01\n2=Track02\n3=Third\n");
    ASSERT_EQ(Status("rip --image '" + image.string() + "' --format wav"), 0) << Stderr();
    EXPECT_TRUE(fs::exists(Output("Third.wav")));
    EXPECT_TRUE(fs::exists(Output("Track04.wav")));
}

// A title that an older version stored with a NUL byte names its file with a blank in its
// place, and costs the other titles nothing.
TEST_F(CliRipTest, ATitleStoredWithANulByteStillNamesTheFiles)
{
    using namespace std::string_literals;
    const fs::path image = test::WriteCueImage(
        dir_ / "disc", {{test::AudioSectors(10, 1)}, {test::AudioSectors(10, 2)}});
    test::WriteFile(dir_ / "cd.dat",
                    "[" + DiscKey(image) + "]\nCDTrackNumber=2\n1=nul\0byte\n2=Second\n"s);
    ASSERT_EQ(Status("rip --image '" + image.string() + "' --format wav"), 0) << Stderr();
    EXPECT_TRUE(fs::exists(Output("nul byte.wav")));
    EXPECT_TRUE(fs::exists(Output("Second.wav")));
    EXPECT_NE(Stderr().find("corvath-cli rip: warning: Line 3 of " + (dir_ / "cd.dat").string() +
                            " held NUL bytes, read as blanks\n"),
              std::string::npos)
        << Stderr();
}

TEST_F(CliRipTest, NamesFilesByThePatternBelowTheOutputFolder)
{
    const fs::path image = test::WriteCueImage(
        dir_ / "disc", {{test::AudioSectors(10, 1)}, {test::AudioSectors(10, 2)}});
    test::WriteFile(dir_ / "cd.dat", "[" + DiscKey(image) +
                                         "]\nCDArtist=Band\nCDAlbum=Live: Here\nCDTrackNumber=2\n"
                                         "1=Why?\n2=End.\n");
    ASSERT_EQ(Status("rip --image '" + image.string() +
                     "' --format wav,flac --name '%artist%/%album%/%track% - %title%'"),
              0)
        << Stderr();
    // Two formats: each below a folder of its name.
    for (const char* file :
         {"WAV/Band/Live_ Here/01 - Why_.wav", "WAV/Band/Live_ Here/02 - End.wav",
          "FLAC/Band/Live_ Here/01 - Why_.flac", "FLAC/Band/Live_ Here/02 - End.flac"})
        EXPECT_TRUE(fs::exists(Output(file))) << file;
}

TEST_F(CliRipTest, RefusesWhatItCannotDo)
{
    const fs::path image = test::WriteCueImage(dir_ / "disc", {{test::AudioSectors(3, 7)}});
    const std::string source = "--image '" + image.string() + "'";
    EXPECT_EQ(Status("rip " + source + " --format aiff"), 2);
    EXPECT_NE(Stderr().find("unknown format aiff"), std::string::npos);
    EXPECT_EQ(Status("rip " + source + " --format flac,ogg,mp4"), 2);
    EXPECT_NE(Stderr().find("unknown format mp4"), std::string::npos);
    EXPECT_EQ(Status("rip " + source + " --tracks 2"), 2);
    EXPECT_EQ(Status("rip " + source + " --tracks 0"), 2);
    EXPECT_NE(Stderr().find("ranges from 1 to 1"), std::string::npos) << "no hidden track";
    EXPECT_EQ(Status("rip " + source + " --tracks 1-"), 2);
    EXPECT_EQ(Status("rip " + source + " --genre Nonsense"), 2);
    EXPECT_EQ(Status("rip " + source + " --name ../x"), 2);
    EXPECT_NE(Stderr().find("outside the output folder"), std::string::npos) << Stderr();
    EXPECT_EQ(Status("rip --drive 0 " + source), 2);
    for (const char* jobs : {"-j 0", "-j x", "--jobs=257"}) {
        EXPECT_EQ(Status("rip " + source + " " + jobs), 2) << jobs;
        EXPECT_NE(Stderr().find("-j takes a number from 1 to 256"), std::string::npos) << jobs;
    }
    EXPECT_EQ(Status("rip --image '" + (dir_ / "missing.cue").string() + "'"), 1);
    EXPECT_EQ(Status("rip --drive 7"), 1); // no such drive here
}

} // namespace
} // namespace corvath
