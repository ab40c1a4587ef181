#include "platform/cdrom/cd_records.h"
#include "platform/cdrom/images/cue_image.h"
#include "platform/cdrom/images/image_disc.h"
#include "support/audio_tools.h"
#include "support/disc_image.h"
#include "support/riff_bytes.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace corvath {
namespace {

constexpr uint32_t kSectorBytes = kCdSectorBytes;

std::string Bytes(const std::vector<uint8_t>& sectors)
{
    return {sectors.begin(), sectors.end()};
}

void WriteWave(const std::filesystem::path& file, const std::string& pcm)
{
    test::WriteFile(file, "RIFF" + test::Le32(static_cast<uint32_t>(36 + pcm.size())) + "WAVE" +
                              test::Chunk("fmt ", test::FmtBody(1, 2, 44100, 4, 16)) +
                              test::Chunk("data", pcm));
}

// The sectors an image serves from start on.
std::string ReadSectors(const ImageLayout& layout, uint32_t start, uint32_t count)
{
    std::string problem;
    const auto disc = ImageDisc::Open(layout, problem);
    EXPECT_TRUE(disc) << problem;
    std::string data(std::size_t{count} * kSectorBytes, '\0');
    if (!disc || !disc->ReadAudio(reinterpret_cast<uint8_t*>(data.data()), start, count))
        return {};
    return data;
}

struct TrackExpectation {
    uint32_t start;
    std::optional<uint32_t> pregap;
};

class CueImageTest : public ::testing::Test {
protected:
    ImageLayout Read(const std::string& sheet)
    {
        test::WriteFile(dir_ / "disc.cue", sheet);
        ImageParse parse = ReadCueImage(dir_ / "disc.cue");
        EXPECT_TRUE(parse.layout) << parse.problem;
        return parse.layout.value_or(ImageLayout{});
    }

    std::string Problem(const std::string& sheet)
    {
        test::WriteFile(dir_ / "disc.cue", sheet);
        return ReadCueImage(dir_ / "disc.cue").problem;
    }

    void ExpectTracks(const ImageLayout& layout, const std::vector<TrackExpectation>& tracks,
                      uint32_t leadOut)
    {
        ASSERT_EQ(layout.tracks.size(), tracks.size());
        for (std::size_t k = 0; k < tracks.size(); ++k) {
            EXPECT_EQ(layout.tracks[k].start, tracks[k].start) << "track " << k + 1;
            EXPECT_EQ(layout.tracks[k].pregap, tracks[k].pregap) << "track " << k + 1;
        }
        EXPECT_EQ(layout.leadOut, leadOut);
    }

    test::TempDir dir_;
};

TEST_F(CueImageTest, OneWaveFilePerTrackLaysTheFilesOutOneAfterAnother)
{
    const std::vector<uint8_t> one = test::AudioSectors(100, 1);
    const std::vector<uint8_t> two = test::AudioSectors(80, 2);
    WriteWave(dir_ / "01 One.wav", Bytes(one));
    WriteWave(dir_ / "02 Two.wav", Bytes(two));
    const ImageLayout layout = Read("FILE \"01 One.wav\" WAVE\r\n  TRACK 01 AUDIO\r\n"
                                    "    INDEX 01 00:00:00\r\n"
                                    "FILE \"02 Two.wav\" WAVE\r\n  TRACK 02 AUDIO\r\n"
                                    "    INDEX 01 00:00:00\r\n");
    ExpectTracks(layout, {{0, std::nullopt}, {100, std::nullopt}}, 180);
    EXPECT_TRUE(ReadSectors(layout, 0, 180) == Bytes(one) + Bytes(two));
    // Track 2's pre-gap at the end of track 1's file, as some rippers write it.
    const ImageLayout gapBefore = Read("FILE \"01 One.wav\" WAVE\n  TRACK 01 AUDIO\n"
                                       "    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n"
                                       "    INDEX 00 00:01:05\nFILE \"02 Two.wav\" WAVE\n"
                                       "    INDEX 01 00:00:00\n");
    ExpectTracks(gapBefore, {{0, std::nullopt}, {100, 80}}, 180);
    EXPECT_TRUE(ReadSectors(gapBefore, 0, 180) == Bytes(one) + Bytes(two));
}

TEST_F(CueImageTest, PregapIsSilenceThatMovesEveryLaterTrack)
{
    const std::vector<uint8_t> audio = test::AudioSectors(300, 3);
    test::WriteFile(dir_ / "disc.bin", Bytes(audio));
    const ImageLayout layout =
        Read("FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    PREGAP 00:02:00\n"
             "    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    PREGAP 00:01:00\n"
             "    INDEX 01 00:02:00\n  TRACK 03 AUDIO\n    INDEX 00 00:03:00\n"
             "    INDEX 01 00:03:10\n");
    // The first track's PREGAP is the lead-in; track 2's adds 75 sectors of silence.
    ExpectTracks(layout, {{0, std::nullopt}, {225, 150}, {310, 300}}, 375);
    EXPECT_TRUE(ReadSectors(layout, 0, 150) == Bytes(audio).substr(0, 150 * kSectorBytes));
    EXPECT_TRUE(ReadSectors(layout, 150, 75) == std::string(75 * kSectorBytes, '\0'));
    EXPECT_TRUE(ReadSectors(layout, 225, 150) == Bytes(audio).substr(150 * kSectorBytes));
}

TEST_F(CueImageTest, AHiddenTrackBeforeTrackOneStaysOnTheDisc)
{
    const std::vector<uint8_t> audio = test::AudioSectors(200, 4);
    test::WriteFile(dir_ / "disc.bin", Bytes(audio));
    const ImageLayout layout = Read("FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 00 "
                                    "00:00:00\n    INDEX 01 00:01:00\n");
    ExpectTracks(layout, {{75, 0}}, 200);
    EXPECT_TRUE(ReadSectors(layout, 0, 75) == Bytes(audio).substr(0, 75 * kSectorBytes));
}

TEST_F(CueImageTest, ALaterSessionStartsAfterTheGapBetweenSessions)
{
    test::WriteFile(dir_ / "audio.bin", Bytes(test::AudioSectors(150, 5)));
    test::WriteFile(dir_ / "data.bin", std::string(250 * 2048, 'd'));
    // The data track's own two-second pre-gap: left to the gap, or held by the data file.
    for (const std::string indexes :
         {"    INDEX 01 00:00:00\n", "    INDEX 00 00:00:00\n    INDEX 01 00:02:00\n"}) {
        const ImageLayout layout = Read("REM SESSION 01\nFILE \"audio.bin\" BINARY\n"
                                        "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                                        "REM SESSION 02\nFILE \"data.bin\" BINARY\n"
                                        "  TRACK 02 MODE1/2048\n" +
                                        indexes);
        ASSERT_EQ(layout.tracks.size(), 2u) << indexes;
        EXPECT_EQ(layout.tracks[1].start, 150 + kSessionGapSectors) << indexes;
        EXPECT_EQ(layout.tracks[1].session, 2);
        EXPECT_TRUE(layout.tracks[1].data);
        std::string problem;
        const auto disc = ImageDisc::Open(layout, problem);
        std::vector<uint8_t> sector(kSectorBytes);
        EXPECT_FALSE(disc->ReadAudio(sector.data(), 150, 1)) << "the gap holds no sectors";
    }
}

// Sheets as other programs write them: a byte-order mark, UTF-16, a quoted catalogue number,
// CD-Text, flags and ISRCs.
TEST_F(CueImageTest, EncodingsAndTheDiscsFactsAreRead)
{
    test::WriteFile(dir_ / "disc.bin", Bytes(test::AudioSectors(150, 6)));
    const std::string sheet = "REM GENRE Rock\nCATALOG \"0724384260927\"\nPERFORMER \"Sigur Rós\"\n"
                              "TITLE \"( )\"\nFILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n"
                              "    TITLE \"Untitled 1\"\n    FLAGS PRE DCP\n"
                              "    ISRC GBAYE0200771\n    INDEX 01 00:00:00\n";
    std::string utf16 = "\xFF\xFE";
    for (const char16_t unit : std::u16string(u"FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n"
                                              u"    TITLE \"\u00E9t\u00E9\"\n"
                                              u"    INDEX 01 00:00:00\n")) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    for (const std::string& text : {sheet, "\xEF\xBB\xBF" + sheet}) {
        const ImageLayout layout = Read(text);
        EXPECT_EQ(layout.catalog, "0724384260927");
        EXPECT_EQ(layout.performer, "Sigur Rós");
        EXPECT_EQ(layout.title, "( )");
        ASSERT_EQ(layout.tracks.size(), 1u);
        EXPECT_EQ(layout.tracks[0].title, "Untitled 1");
        EXPECT_EQ(layout.tracks[0].isrc, "GBAYE0200771");
        EXPECT_TRUE(layout.tracks[0].preEmphasis);
        EXPECT_TRUE(layout.tracks[0].copyPermitted);
    }
    EXPECT_EQ(Read(utf16).tracks.at(0).title, "\xC3\xA9t\xC3\xA9");
    // Latin-1 text from older programs comes out as UTF-8.
    EXPECT_EQ(Read("FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    TITLE \"\xE9t\xE9\"\n"
                   "    INDEX 01 00:00:00\n")
                  .tracks.at(0)
                  .title,
              "\xC3\xA9t\xC3\xA9");
}

TEST_F(CueImageTest, AFlacFileIsReadAsItsSamples)
{
    if (!test::HaveTool("flac"))
        GTEST_SKIP() << "flac is not installed";
    const std::vector<uint8_t> audio = test::AudioSectors(120, 7);
    test::WriteFile(dir_ / "raw.pcm", Bytes(audio));
    test::RunCommand("flac -s --force-raw-format --endian=little --sign=signed --channels=2 "
                     "--bps=16 --sample-rate=44100 -o " +
                     test::Quoted(dir_ / "disc.flac") + " " + test::Quoted(dir_ / "raw.pcm"));
    const ImageLayout layout =
        Read("FILE \"disc.flac\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
             "  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n");
    ExpectTracks(layout, {{0, std::nullopt}, {75, std::nullopt}}, 120);
    EXPECT_TRUE(ReadSectors(layout, 0, 120) == Bytes(audio));
    EXPECT_TRUE(ReadSectors(layout, 75, 45) == Bytes(audio).substr(75 * kSectorBytes));
}

TEST_F(CueImageTest, DataFilesOutsideTheFolderOrNotRegularAreRefused)
{
    const std::string track = "\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
    EXPECT_EQ(Problem("FILE \"/etc/passwd\" BINARY" + track),
              "its data file \"/etc/passwd\" lies outside the image's folder");
    EXPECT_EQ(Problem("FILE \"../x.bin\" BINARY" + track),
              "its data file \"../x.bin\" lies outside the image's folder");
    ASSERT_EQ(::mkfifo((dir_ / "pipe.bin").c_str(), 0600), 0);
    EXPECT_EQ(Problem("FILE \"pipe.bin\" BINARY" + track),
              "its data file \"" + (dir_ / "pipe.bin").string() + "\": it is not a regular file");
    test::WriteFile(dir_ / "song.mp3", "ID3");
    EXPECT_EQ(Problem("FILE \"song.mp3\" MP3" + track),
              "its data file \"song.mp3\" is of a kind that cannot be read (MP3)");
}

TEST_F(CueImageTest, ASheetThatIsAFifoIsRefusedAtOnce)
{
    ASSERT_EQ(::mkfifo((dir_ / "pipe.cue").c_str(), 0600), 0);
    EXPECT_EQ(ReadCueImage(dir_ / "pipe.cue").problem, "it is not a regular file");
}

} // namespace
} // namespace corvath
