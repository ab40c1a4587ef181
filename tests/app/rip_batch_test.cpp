#include "app/disc_opening.h"
#include "app/disc_session.h"
#include "app/rip_batch.h"
#include "codecs/mp3/lame_library.h"
#include "codecs/startup_libraries.h"
#include "lookup/cover_cache.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "platform/files/partial_file.h"
#include "rip_batch_fixture.h"
#include "support/accurate_rip_file.h"
#include "support/audio_tools.h"
#include "support/cover_archive.h"
#include "support/disc_image.h"
#include "support/fake_components.h"
#include "support/file_size_limit.h"
#include "support/http_test_server.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iterator>

namespace corvath {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::RecordingView;
using test::RipBatchTest;

TEST_F(RipBatchTest, WavTracksEndWithTheLastExtractionAndNothingElse)
{
    OpenDisc({20, 12});
    Rip({{1, "One"}, {2, "Two"}}, OutputFormat::WAV);
    EXPECT_EQ(view_.lines,
              (std::vector<std::string>{
                  "track 1 One", "hint Extracting...", "caption Initializing...", "completed 0",
                  "written One.wav", "track 2 Two", "hint Extracting...", "caption Initializing...",
                  "completed 1", "written Two.wav", "completed 2", "close"}));
    EXPECT_EQ(view_.lastPercent, 100);
    EXPECT_EQ(
        test::WaveData(Output("Two.wav")),
        std::string(reinterpret_cast<const char*>(test::AudioSectors(12, 1).data()), 12 * 2352));
}

// The checksums of each track as read equal those the tools compute from the ripped files,
// whatever the track's place on the disc.
TEST_F(RipBatchTest, EveryTrackComesWithTheChecksumsOfItsAudio)
{
    if (!test::HaveTool("accuraterip-checksum") || !test::HaveTool("python3"))
        GTEST_SKIP() << "accuraterip-checksum (whipper) and python3 are the oracles";
    const auto hex = [](uint32_t value) {
        char text[10];
        std::snprintf(text, sizeof text, "%08X\n", value);
        return std::string(text);
    };
    const auto oracle = [&](const std::string& wav, const char* version, std::size_t track,
                            std::size_t tracks) {
        return test::RunCommand("accuraterip-checksum " + std::string(version) + " " +
                                test::Quoted(Output(wav)) + " " + std::to_string(track) + " " +
                                std::to_string(tracks));
    };
    const auto crc = [&](const std::string& wav) {
        test::WriteFile(dir_ / "audio.raw", test::WaveData(Output(wav)));
        return test::ZlibCrc32(dir_ / "audio.raw") + "\n";
    };
    const std::vector<std::vector<uint32_t>> discs = {{30, 20, 25}, {40}};
    for (const std::vector<uint32_t>& sectors : discs) {
        SCOPED_TRACE(sectors.size());
        OpenDisc(sectors);
        view_ = RecordingView{};
        std::vector<RipEntry> tracks;
        for (std::size_t k = 1; k <= sectors.size(); ++k)
            tracks.push_back({static_cast<int32_t>(k), "T" + std::to_string(k)});
        Rip(tracks, OutputFormat::WAV);
        ASSERT_EQ(view_.checksums.size(), sectors.size());
        for (std::size_t k = 1; k <= sectors.size(); ++k) {
            const std::string wav = "T" + std::to_string(k) + ".wav";
            const TrackChecksumValues& sums = view_.checksums[k - 1];
            EXPECT_EQ(hex(sums.accurateRipV1), oracle(wav, "--accuraterip-v1", k, sectors.size()));
            EXPECT_EQ(hex(sums.accurateRipV2), oracle(wav, "--accuraterip-v2", k, sectors.size()));
            EXPECT_EQ(hex(sums.copyCrc), crc(wav));
        }
    }
}

TEST_F(RipBatchTest, NormalisingShowsItsOwnStep)
{
    OpenDisc({20});
    settings_.CommonOptions.IsNormalize = true;
    Rip({{1, "One"}}, OutputFormat::WAV);
    EXPECT_EQ(std::vector<std::string>(view_.lines.end() - 4, view_.lines.end()),
              (std::vector<std::string>{"hint Normalizing...", "written One.wav", "completed 1",
                                        "close"}));
}

// The WAV on its way to the encoder is the rip's own: a WAV the user has under the track's name
// is neither written over nor removed.
TEST_F(RipBatchTest, EncodedTracksGoOnAfterTheEncoderAndTheWavGoes)
{
    OpenDisc({20, 12});
    test::WriteFile(Output("Two.wav"), "an earlier rip's WAV");
    Rip({{2, "Two"}, {1, "One"}}, OutputFormat::FLAC);
    // The next track is read while the last one read is encoded.
    const std::vector<std::string>& lines = view_.lines;
    const auto firstWritten = std::ranges::find(lines, "written Two.flac");
    ASSERT_NE(firstWritten, lines.end()) << ::testing::PrintToString(lines);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 8),
              (std::vector<std::string>{
                  "track 2 Two", "hint Extracting...", "caption Initializing...", "completed 0",
                  "track 1 One", "hint Extracting...", "caption Extracting...", "completed 0"}));
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"written One.flac", "completed 2", "close"}));
    EXPECT_TRUE(fs::exists(Output("One.flac")));
    EXPECT_FALSE(fs::exists(Output("One.wav")));
    EXPECT_EQ(test::ReadFile(Output("Two.wav")), "an earlier rip's WAV");
    for (const char* partial : {"One.wav.part", "Two.wav.part", "One.flac.part"})
        EXPECT_FALSE(fs::exists(Output(partial))) << partial;

    // Kept WAVs are the user's wish: they take the tracks' names.
    settings_.CommonOptions.IsKeepWav = true;
    view_ = RecordingView{};
    Rip({{2, "Two"}}, OutputFormat::FLAC);
    EXPECT_EQ(test::WaveData(Output("Two.wav")).size(), 12u * 2352);
    EXPECT_NE(std::ranges::find(view_.lines, "written Two.wav"), view_.lines.end());
}

// A Stop while the next track is read: the first track's files made before it count, heard of
// or not, and the track keeps its WAV when one of them is missing.
TEST_F(RipBatchTest, AStopKeepsTheWavOfATrackReadButNotEncoded)
{
    struct Case {
        std::vector<OutputFormat> alsoWrite;
        std::string folder; // each format has one of its own when there are several
        bool wavKept;
        std::string failure;
    };
    const std::vector<Case> cases = {
        {{}, "", false, ""},
        {{OutputFormat::MP3},
         "FLAC/",
         true,
         "not ripped: the rip was stopped before all its files were made; its WAV is kept"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wavKept);
        fs::remove_all(Output(""));
        OpenDisc({20, 20000});
        view_ = RecordingView{};
        RipJob job{disc_.get(), {{1, "One"}, {2, "Two"}}, OutputFormat::FLAC, {}, "image"};
        job.alsoWrite = c.alsoWrite;
        RipBatch batch(view_, std::move(job), settings_);
        batch.Start();
        // The FLAC's end waits in the view's pause: the first track is still the lane's.
        ASSERT_TRUE(PumpUntil([&] { return fs::exists(Output(c.folder + "One.flac")); }))
            << ::testing::PrintToString(view_.lines);
        // The second track may be read by now on a busy machine: then the rip is over at once.
        if (!batch.Stop()) {
            ASSERT_TRUE(PumpUntil([&] { return view_.closed; }));
        }
        EXPECT_EQ(
            std::system(("flac -s -t " + test::Quoted(Output(c.folder + "One.flac"))).c_str()), 0);
        EXPECT_FALSE(fs::exists(Output("MP3/One.mp3")));
        if (c.wavKept)
            EXPECT_EQ(test::WaveData(Output(c.folder + "One.wav")),
                      std::string(reinterpret_cast<const char*>(test::AudioSectors(20, 0).data()),
                                  20 * 2352));
        else
            EXPECT_FALSE(fs::exists(Output(c.folder + "One.wav")));
        EXPECT_FALSE(fs::exists(Output(c.folder + "One.wav.part")));
        const RipResults results = batch.Results();
        EXPECT_EQ(results.tracks[0].file, "One.flac");
        EXPECT_EQ(results.tracks[0].failure, c.failure);
        EXPECT_EQ(results.tracks[1].failure, "not ripped: the rip was stopped");
    }
}

// A step that throws ends the rip with its reason instead of leaving it waiting for a Stop that
// a command line never sends.
TEST_F(RipBatchTest, AStepThatThrowsEndsTheRipWithItsReason)
{
    struct FailingView : RecordingView {
        void ShowHint(const std::string& hint) override
        {
            RecordingView::ShowHint(hint);
            if (hint == kRipEncoding)
                throw std::runtime_error("the view broke");
        }
    } view;
    OpenDisc({20, 12});
    RipBatch batch(view, {disc_.get(), {{1, "One"}, {2, "Two"}}, OutputFormat::FLAC, {}, "image"},
                   settings_);
    batch.Start();
    ASSERT_TRUE(PumpUntil([&] { return view.closed; }, std::chrono::minutes(1)));
    EXPECT_NE(std::ranges::find(view.lines, "error the view broke"), view.lines.end());
    EXPECT_FALSE(fs::exists(Output("Two.flac"))) << "nothing after the failure";
}

// A data track is refused as a drive refuses it, instead of becoming noise in a WAV file.
TEST_F(RipBatchTest, ADataTrackFailsAsAReadError)
{
    OpenDiscOf({{test::AudioSectors(10, 1)}, {test::AudioSectors(10, 2), true}});
    Rip({{2, "Data"}, {1, "Music"}}, OutputFormat::WAV);
    EXPECT_NE(std::ranges::find(view_.lines, "error Error while reading CD information!"),
              view_.lines.end());
    EXPECT_NE(std::ranges::find(view_.lines, "failed Data: Error while reading CD information!"),
              view_.lines.end())
        << ::testing::PrintToString(view_.lines);
    EXPECT_FALSE(fs::exists(Output("Data.wav")));
    EXPECT_TRUE(fs::exists(Output("Music.wav")));
}

TEST_F(RipBatchTest, SameTitlesGetNumberedAndABadNameFailsOnlyItsTrack)
{
    OpenDisc({10, 10, 10, 10});
    settings_.CommonOptions.IsKeepWav = true;
    Rip({{1, "Same"}, {2, "a/b"}, {3, "Same"}, {4, "Same (2)"}}, OutputFormat::FLAC);
    const std::string badName = Output("a/b.wav").string() +
                                " is not a valid file name. Please rename the Title in the CD "
                                "tracks list.";
    const std::vector<std::string>& lines = view_.lines;
    EXPECT_NE(std::ranges::find(lines, "error " + badName), lines.end());
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
              (std::vector<std::string>{"failed a/b: " + badName, "close"}));
    for (const char* file : {"Same.flac", "Same (2).flac", "Same (2) (2).flac", "Same.wav",
                             "Same (2).wav", "Same (2) (2).wav"})
        EXPECT_TRUE(fs::exists(Output(file))) << file;
    EXPECT_FALSE(fs::exists(Output("a"))) << "nothing beside the output folder's files";
}

TEST_F(RipBatchTest, AnEncoderThatCannotBeMadeFailsEveryTrackBeforeAnyIsRead)
{
    OpenDisc({10, 10});
    LameLibrary().SetFileName("libmissing-lame.so.0");
    Rip({{1, "One"}, {2, "Two"}}, OutputFormat::MP3);
    LameLibrary().SetFileName("libmp3lame.so.0");
    const std::string reason = "libmissing-lame.so.0 library could not be loaded.";
    const std::vector<std::string>& lines = view_.lines;
    EXPECT_EQ(
        std::vector<std::string>(lines.end() - 3, lines.end()),
        (std::vector<std::string>{"failed One: " + reason, "failed Two: " + reason, "close"}));
    EXPECT_TRUE(fs::is_empty(dir_ / "out"));
}

// A disk that fills names the file and the reason, and the older file of the name stays.
TEST_F(RipBatchTest, AFullDiskNamesTheFileAndTheReason)
{
    OpenDisc({20, 5});
    test::WriteFile(Output("One.wav"), "an older rip");
    {
        const test::FileSizeLimit limit(30000); // the first track wants 47 KB, the second 12 KB
        Rip({{1, "One"}, {2, "Two"}}, OutputFormat::WAV);
    }
    const std::string reason =
        "Cannot write file " + Output("One.wav").string() + ": File too large";
    const std::vector<std::string>& lines = view_.lines;
    EXPECT_NE(std::ranges::find(lines, "error " + reason), lines.end())
        << ::testing::PrintToString(lines);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
              (std::vector<std::string>{"failed One: " + reason, "close"}));
    EXPECT_EQ(test::ReadFile(Output("One.wav")), "an older rip");
    EXPECT_TRUE(fs::exists(Output("Two.wav")));
}

// A title too long for a file name fails its own track, in whichever format, and the rip goes
// on with the next.
TEST_F(RipBatchTest, ATitleTooLongForAFileNameFailsOnlyItsTrack)
{
    OpenDisc({5, 5});
    const std::string overlong(252, 'x'); // with ".wav", one more byte than a name may hold
    for (const OutputFormatInfo& format : OutputFormats()) {
        SCOPED_TRACE(format.name);
        const fs::path folder = dir_ / std::string(format.extension);
        fs::create_directory(folder);
        settings_.CommonOptions.OutputFolder = folder.string();
        view_ = RecordingView{};
        Rip({{1, overlong}, {2, "Two"}}, format.format);
        const std::string reason = "Cannot create file " + (folder / (overlong + ".wav")).string() +
                                   ": File name too long";
        EXPECT_EQ(view_.lines.end()[-2], "failed " + overlong + ": " + reason);
        EXPECT_TRUE(fs::exists(folder / ("Two." + std::string(format.extension))));
    }

    // The WAV's name fits while it is written, the FLAC file's does not: the track fails at
    // encoding, and its WAV stays as all there is of it.
    const std::string fitsAsWav(255 - PartialName(".wav").size(), 'y');
    view_ = RecordingView{};
    Rip({{1, fitsAsWav}, {2, "Two"}}, OutputFormat::FLAC);
    const fs::path folder = settings_.CommonOptions.OutputFolder;
    EXPECT_EQ(view_.lines.end()[-2], "failed " + fitsAsWav + ": Cannot create file " +
                                         (folder / (fitsAsWav + ".flac")).string() +
                                         ": File name too long");
    EXPECT_TRUE(fs::exists(folder / (fitsAsWav + ".wav")));
}

// One request per rip to a real server; each track judged by its own checksums, and a database
// that cannot tell never fails a rip.
TEST_F(RipBatchTest, EveryTrackGetsTheDatabasesVerdict)
{
    OpenDisc({20, 12, 15});
    CdToc toc;
    ASSERT_TRUE(ModifyCDParms(disc_.get(), kCdParmMsfAddresses, 1));
    ASSERT_EQ(ReadTOC(disc_.get(), toc), 1);
    const AccurateRipDisc disc = AccurateRipDiscOf(toc);
    test::HttpTestResponse answer{404, "not found"};
    test::HttpTestServer server([&](const std::string&) { return answer; });
    settings_.RipOptions.VerifyAccurateRip = true;
    settings_.RipOptions.AccurateRipServer = "http://" + server.Address() + "/accuraterip";
    const std::vector<RipEntry> tracks{{1, "One"}, {2, "Two"}, {3, "Three"}};
    const auto rip = [&] {
        view_ = RecordingView{};
        Rip(tracks, OutputFormat::WAV);
        std::vector<std::string> verdicts;
        for (const std::string& line : view_.lines)
            if (line.starts_with("verdict ") || line.starts_with("failed "))
                verdicts.push_back(line);
        return verdicts;
    };

    EXPECT_EQ(rip(), (std::vector<std::string>{"verdict One: not in database",
                                               "verdict Two: not in database",
                                               "verdict Three: not in database"}));
    EXPECT_EQ(view_.summary, "The disc is not in the AccurateRip database");
    EXPECT_EQ(server.RequestLines(),
              std::vector<std::string>{"GET /accuraterip/" + AccurateRipPath(disc) + " HTTP/1.1"});
    const std::vector<TrackChecksumValues> sums = view_.checksums;
    ASSERT_EQ(sums.size(), 3u);

    // Track 1 matches by its v1 checksum, track 3 by its v2 one in a second submission.
    answer = {200,
              test::AccurateRipFile(disc, {{{5, sums[0].accurateRipV1}, {2, 0x1234}, {1, 0}},
                                           {{3, 0}, {4, 0x5678}, {7, sums[2].accurateRipV2}}})};
    EXPECT_EQ(rip(), (std::vector<std::string>{"verdict One: accurately ripped (confidence 5)",
                                               "verdict Two: not accurate",
                                               "verdict Three: accurately ripped (confidence 7)"}));
    EXPECT_EQ(view_.summary, "Track 2 not accurately ripped");

    answer = {200, test::AccurateRipFile(disc, {{{9, sums[0].accurateRipV2},
                                                 {9, sums[1].accurateRipV2},
                                                 {9, sums[2].accurateRipV2}}})};
    rip();
    EXPECT_EQ(view_.summary, "All tracks accurately ripped");

    settings_.RipOptions.AccurateRipServer =
        "http://" + test::HttpTestServer::ClosedAddress() + "/accuraterip";
    EXPECT_EQ(rip(),
              (std::vector<std::string>{"verdict One: lookup failed", "verdict Two: lookup failed",
                                        "verdict Three: lookup failed"}));
    EXPECT_EQ(view_.summary, "The AccurateRip lookup failed");
    EXPECT_EQ(test::WaveData(Output("Three.wav")).size(), 15u * 2352);
}

// Every track counts as completed once its file is written, the last one too while the rip
// waits for the database's answer.
TEST_F(RipBatchTest, TheLastTrackCountsWhileTheRipIsVerified)
{
    OpenDisc({20, 12});
    test::HttpTestServer server(test::HttpTestServer::Slow(
        [](const std::string&) {
            return test::HttpTestResponse{404, "not found"};
        },
        std::chrono::seconds(2)));
    settings_.RipOptions.VerifyAccurateRip = true;
    settings_.RipOptions.AccurateRipServer = "http://" + server.Address() + "/accuraterip";
    ASSERT_NO_FATAL_FAILURE(Rip({{1, "One"}, {2, "Two"}}, OutputFormat::WAV));
    const auto verifying = std::ranges::find(view_.lines, std::string("hint ") + kRipVerifying);
    ASSERT_NE(verifying, view_.lines.end()) << "the answer came before the tracks were ripped";
    const auto lastCount =
        std::find_if(std::make_reverse_iterator(verifying), view_.lines.rend(),
                     [](const std::string& line) { return line.starts_with("completed "); });
    ASSERT_NE(lastCount, view_.lines.rend());
    EXPECT_EQ(*lastCount, "completed 2");
}

// A hidden track rips to its own file, exactly the audio before the first track, is never
// matched against the database's first track, and comes back as that track's pre-gap when our
// cue sheet is opened as a disc.
TEST_F(RipBatchTest, AHiddenTrackRipsAsTheFirstTracksPregap)
{
    const fs::path image = test::WriteCueImage(
        dir_ / "disc", {{test::AudioSectors(20, 1)}, {test::AudioSectors(12, 2)}}, 90);
    disc_ = OpenImage(image.string()).handle;
    ASSERT_TRUE(disc_);
    CdToc toc;
    ASSERT_TRUE(ModifyCDParms(disc_.get(), kCdParmMsfAddresses, 1));
    ASSERT_EQ(ReadTOC(disc_.get(), toc), 1);
    test::HttpTestResponse answer{404, "not found"};
    test::HttpTestServer server([&](const std::string&) { return answer; });
    settings_.RipOptions.VerifyAccurateRip = true;
    settings_.RipOptions.AccurateRipServer = "http://" + server.Address() + "/accuraterip";
    ASSERT_NO_FATAL_FAILURE(Rip({{0, "Intro"}, {1, "One"}, {2, "Two"}}, OutputFormat::WAV));
    const std::string bin = test::ReadFile(dir_ / "disc.bin");
    EXPECT_EQ(test::WaveData(Output("Intro.wav")), bin.substr(0, 90 * 2352));
    EXPECT_EQ(test::WaveData(Output("One.wav")), bin.substr(90 * 2352, 20 * 2352));

    // The database's first entry is track 1's checksum, not the hidden track's.
    const std::vector<TrackChecksumValues> sums = view_.checksums;
    ASSERT_EQ(sums.size(), 3u);
    answer = {200, test::AccurateRipFile(AccurateRipDiscOf(toc), {{{9, sums[0].accurateRipV2},
                                                                   {9, sums[2].accurateRipV2}}})};
    view_ = RecordingView{};
    ASSERT_NO_FATAL_FAILURE(Rip({{0, "Intro"}, {1, "One"}, {2, "Two"}}, OutputFormat::WAV));
    std::vector<std::string> verdicts;
    for (const std::string& line : view_.lines)
        if (line.starts_with("verdict "))
            verdicts.push_back(line);
    EXPECT_EQ(verdicts, (std::vector<std::string>{
                            "verdict Intro: not in database", "verdict One: not accurate",
                            "verdict Two: accurately ripped (confidence 9)"}));

    const std::string cue = test::ReadFile(Output("Band - Album.cue"));
    EXPECT_NE(cue.find("FILE \"Intro.wav\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"One\"\n"
                       "    PERFORMER \"Band\"\n    INDEX 00 00:00:00\n"
                       "FILE \"One.wav\" WAVE\n    INDEX 01 00:00:00\n"),
              std::string::npos)
        << cue;
    EXPECT_EQ(cue.find("TRACK 00"), std::string::npos) << cue;
    const DiscOpening opened = OpenImage(Output("Band - Album.cue").string());
    const CdHandle& ripped = opened.handle;
    ASSERT_TRUE(ripped) << opened.problem;
    CdToc rippedToc;
    ASSERT_TRUE(ModifyCDParms(ripped.get(), kCdParmMsfAddresses, 1));
    ASSERT_EQ(ReadTOC(ripped.get(), rippedToc), 1);
    EXPECT_EQ(FreedbDiscId(rippedToc), FreedbDiscId(toc)) << "the same disc again";
}

// The log and cue sheet land beside the tracks, named after the disc; a second rip of the disc
// keeps the first one's.
TEST_F(RipBatchTest, ALogAndACueSheetFollowEveryRip)
{
    OpenDisc({20, 12, 15});
    settings_.RipOptions.ReadOffset = 6;
    Rip({{1, "One"}, {2, "Two"}, {3, "Three"}}, OutputFormat::FLAC);
    const std::string log = test::ReadFile(Output("Band - Album.log"));
    for (const char* line :
         {"\nDrive: image\n", "\nRead offset: +6 samples\n", "\nSecure reads: off\n",
          "\n  File: Three.flac\n", "\nAll tracks ripped, not verified\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << " in " << log;
    const std::string cue = test::ReadFile(Output("Band - Album.cue"));
    for (const char* line : {"FILE \"One.flac\"", "FILE \"Two.flac\"", "FILE \"Three.flac\"",
                             "PERFORMER \"Band\"", "TITLE \"Album\""})
        EXPECT_NE(cue.find(line), std::string::npos) << line << " in " << cue;

    settings_.RipOptions.WriteCueSheet = false;
    view_ = RecordingView{};
    Rip({{2, "Two"}}, OutputFormat::WAV);
    EXPECT_TRUE(fs::exists(Output("Band - Album (2).log")));
    EXPECT_FALSE(fs::exists(Output("Band - Album (2).cue")));
    EXPECT_EQ(test::ReadFile(Output("Band - Album.cue")), cue);
}

// A stopped rip keeps its log and cue sheet of what it ripped, and the log says it was stopped.
TEST_F(RipBatchTest, AStoppedRipLeavesItsLogAndCueSheet)
{
    OpenDisc({20, 3000});
    RipBatch batch(view_,
                   {disc_.get(),
                    {{1, "One"}, {2, "Two"}},
                    OutputFormat::WAV,
                    {"Band", "Album", "", -1, ""},
                    "image"},
                   settings_);
    batch.Start();
    ASSERT_TRUE(PumpUntil([&] { return std::ranges::count(view_.lines, "written One.wav") == 1; }));
    batch.Stop();
    const std::string log = test::ReadFile(Output("Band - Album.log"));
    for (const char* line : {"\n  File: One.wav\n", "not ripped: the rip was stopped",
                             "\nThe rip was stopped before its end\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << " in " << log;
    const std::string cue = test::ReadFile(Output("Band - Album.cue"));
    EXPECT_NE(cue.find("FILE \"One.wav\""), std::string::npos) << cue;
    EXPECT_EQ(cue.find("Two"), std::string::npos) << cue;
}

// The files a cue sheet's FILE lines name, as written between their quotes.
std::vector<std::string> CueFiles(const std::string& cue)
{
    std::vector<std::string> files;
    for (std::size_t at = cue.find("FILE \""); at != std::string::npos;
         at = cue.find("FILE \"", at + 1)) {
        const std::size_t start = at + 6;
        files.push_back(cue.substr(start, cue.find('"', start) - start));
    }
    return files;
}

// Whatever the titles hold, the cue sheet names the files the rip wrote.
TEST_F(RipBatchTest, TheCueSheetNamesTheFilesTheRipWrote)
{
    struct Case {
        std::string folder;
        std::string pattern;
        std::vector<std::string> files;
    };
    for (const Case& c :
         {Case{"title", "", {"12' Mix.wav", "Say 'Hi'.wav"}},
          Case{"patterned", "%track% %title%", {"01 12_ Mix.wav", "02 Say _Hi_.wav"}}}) {
        SCOPED_TRACE(c.folder);
        const fs::path out = dir_ / c.folder;
        fs::create_directory(out);
        settings_.CommonOptions.OutputFolder = out.string();
        namePattern_ = c.pattern;
        OpenDisc({20, 12});
        view_ = RecordingView{};
        ASSERT_NO_FATAL_FAILURE(Rip({{1, "12\" Mix"}, {2, "Say \"Hi\""}}, OutputFormat::WAV));
        const std::vector<std::string> files = CueFiles(test::ReadFile(out / "Band - Album.cue"));
        EXPECT_EQ(files, c.files);
        for (const std::string& file : files)
            EXPECT_TRUE(fs::is_regular_file(out / file)) << file;
    }
}

TEST_F(RipBatchTest, ADriveThatRefusesWaitsForStop)
{
    RipBatch batch(view_, {4242, {{1, "One"}}, OutputFormat::WAV, {}, ""}, settings_);
    batch.Start();
    ASSERT_TRUE(PumpUntil([&] { return view_.lines.size() == 5; }));
    EXPECT_EQ(view_.lines.back(), "drive CD extract failed! Please try again.");
    Pump(100ms);
    EXPECT_FALSE(view_.closed);
    batch.Stop();
}

std::string Be32(uint32_t value)
{
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
            static_cast<char>(value >> 8), static_cast<char>(value)};
}

// A cached cover that is no whole image (three bytes of a JPEG's start) goes nowhere.
TEST_F(RipBatchTest, ABrokenCachedCoverGoesNowhere)
{
    const test::CoverCacheIn cache(dir_ / "cache");
    OpenDisc({20});
    CdToc toc;
    ASSERT_TRUE(ModifyCDParms(disc_.get(), kCdParmMsfAddresses, 1));
    ASSERT_EQ(ReadTOC(disc_.get(), toc), 1);
    fs::create_directories(CoverCacheFolder());
    test::WriteFile(CoverCacheFolder() / (DiscKeyOf(toc) + ".jpg"), "\xFF\xD8\xFF");

    Rip({{1, "One"}}, OutputFormat::FLAC);
    EXPECT_FALSE(fs::exists(Output("folder.jpg")));
    EXPECT_EQ(test::RunCommand("metaflac --list --block-type=PICTURE " +
                               test::Quoted(Output("One.flac"))),
              "");
}

// A disc's cached cover goes beside the tracks and into the FLAC and Ogg Vorbis files; a
// folder.jpg already there stays, and a disc without a cover rips as before.
TEST_F(RipBatchTest, TheDiscsCachedCoverGoesBesideAndIntoTheFiles)
{
    const test::CoverCacheIn cache(dir_ / "cache");
    OpenDisc({20, 12});
    CdToc toc;
    ASSERT_TRUE(ModifyCDParms(disc_.get(), kCdParmMsfAddresses, 1));
    ASSERT_EQ(ReadTOC(disc_.get(), toc), 1);
    const std::string jpeg = test::RedSquare(dir_.path(), "jpg");

    Rip({{1, "Plain"}}, OutputFormat::FLAC);
    EXPECT_FALSE(fs::exists(Output("folder.jpg")));
    EXPECT_EQ(test::RunCommand("metaflac --list --block-type=PICTURE " +
                               test::Quoted(Output("Plain.flac"))),
              "");

    StoreCover(DiscKeyOf(toc), *CoverPictureOf(jpeg));
    view_ = RecordingView{};
    Rip({{1, "One"}}, OutputFormat::FLAC);
    EXPECT_EQ(test::ReadFile(Output("folder.jpg")), jpeg);
    EXPECT_EQ(
        test::RunCommand("metaflac --export-picture-to=- " + test::Quoted(Output("One.flac"))),
        jpeg);
    const std::string listing = test::RunCommand("metaflac --list --block-type=PICTURE " +
                                                 test::Quoted(Output("One.flac")));
    for (const char* line : {"type: 3 (Cover (front))", "MIME type: image/jpeg", "width: 16",
                             "height: 16", "depth: 24"})
        EXPECT_NE(listing.find(line), std::string::npos) << line << " in " << listing;
    EXPECT_EQ(test::RunCommand("metaflac --show-tag=ARTIST " + test::Quoted(Output("One.flac"))),
              "ARTIST=Band\n")
        << "the tags stay";

    test::WriteFile(Output("folder.jpg"), "the user's own");
    view_ = RecordingView{};
    Rip({{2, "Two"}}, OutputFormat::OGG);
    EXPECT_EQ(test::ReadFile(Output("folder.jpg")), "the user's own");
    const std::string block =
        test::RunCommand("vorbiscomment -l " + test::Quoted(Output("Two.ogg")) +
                         " | sed -n 's/^METADATA_BLOCK_PICTURE=//p' | base64 -d");
    EXPECT_EQ(block, Be32(3) + Be32(10) + "image/jpeg" + Be32(0) + Be32(16) + Be32(16) + Be32(24) +
                         Be32(0) + Be32(static_cast<uint32_t>(jpeg.size())) + jpeg);
    EXPECT_EQ(test::RunCommand("ffprobe -v error -show_entries stream=codec_name -of csv=p=0 " +
                               test::Quoted(Output("Two.ogg"))),
              "vorbis\nmjpeg\n")
        << "FFmpeg takes the comment for an attached picture";
    EXPECT_NE(test::RunCommand("vorbiscomment -l " + test::Quoted(Output("Two.ogg")))
                  .find("ARTIST=Band\n"),
              std::string::npos);

    view_ = RecordingView{};
    Rip({{2, "Mp3"}}, OutputFormat::MP3);
    EXPECT_EQ(view_.summary, "All tracks ripped, not verified") << "other formats rip as before";
    EXPECT_TRUE(fs::exists(Output("Mp3.mp3")));
}

} // namespace
} // namespace corvath
