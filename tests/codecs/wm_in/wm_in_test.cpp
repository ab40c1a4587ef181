#include "audio/model/au_exception.h"
#include "audio/model/memory_stream.h"
#include "audio/wave/wave_out.h"
#include "codecs/mp3/mp3_in.h"
#include "codecs/wma/wm_in.h"
#include "support/audio_tools.h"
#include "support/run_command.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <sstream>
#include <string_view>
#include <tuple>
#include <vector>

namespace corvath {
namespace {

using test::FfmpegDecode;
using test::Quoted;
using test::ReadFile;
using test::RunCommand;
using test::Samples16;
using test::WriteFile;

// What ffprobe reports for entries of the file's first audio stream, one a line.
std::string Probe(const std::filesystem::path& file, const std::string& entries)
{
    std::string value = RunCommand("ffprobe -v error -select_streams a:0 -show_entries " + entries +
                                   " -of default=nokey=1:noprint_wrappers=1 " + Quoted(file));
    while (!value.empty() && value.back() == '\n')
        value.pop_back();
    return value;
}

// The container's tags as ffprobe shows them.
std::map<std::string, std::string> FormatTags(const std::filesystem::path& file)
{
    std::istringstream lines(RunCommand("ffprobe -v error -show_entries format_tags "
                                        "-of default=noprint_wrappers=1 " +
                                        Quoted(file)));
    std::map<std::string, std::string> tags;
    for (std::string line; std::getline(lines, line);) {
        constexpr std::string_view kPrefix = "TAG:";
        const std::size_t equals = line.find('=');
        if (line.starts_with(kPrefix) && equals != std::string::npos)
            tags[line.substr(kPrefix.size(), equals - kPrefix.size())] = line.substr(equals + 1);
    }
    return tags;
}

uint64_t ReadLittleEndian(const std::string& bytes, std::size_t at, int count)
{
    uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value |= uint64_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
    return value;
}

void WriteLittleEndian(std::string& bytes, std::size_t at, int count, uint64_t value)
{
    for (int i = 0; i < count; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i));
}

class WmInTest : public test::AudioRunFixture {
protected:
    void SetUp() override
    {
        AudioRunFixture::SetUp();
        if (!test::HaveTool("ffmpeg") || !test::HaveTool("lame") || !test::HaveTool("sox"))
            GTEST_SKIP() << "ffmpeg, lame and sox are needed to make and check the files";
    }

    // Noise that nothing periodic can be mistaken for, quiet enough not to clip after coding.
    std::filesystem::path Wave(const std::string& name, double seconds,
                               const std::string& format = "-r 44100 -c 2")
    {
        const auto file = dir_ / name;
        RunCommand("sox -n -b 16 " + format + " " + Quoted(file) + " synth " +
                   std::to_string(seconds) + " pinknoise vol 0.5 2>&1");
        return file;
    }
    std::filesystem::path Lame(const std::string& name, double seconds,
                               const std::string& options = "")
    {
        const auto file = dir_ / name;
        RunCommand("lame --quiet " + options + " " + Quoted(Wave("lame.wav", seconds)) + " " +
                   Quoted(file));
        return file;
    }
    std::filesystem::path Wma(const std::string& name, double seconds,
                              const std::string& options = "")
    {
        const auto file = dir_ / name;
        RunCommand("ffmpeg -v error -y -i " + Quoted(Wave("wma.wav", seconds)) + " -c:a wmav2 " +
                   options + " " + Quoted(file));
        return file;
    }

    // Everything a run delivers, checking that it stays within the announced size.
    static std::string ReadAll(TWMIn& in, uint32_t blockBytes = 65536)
    {
        std::string pcm;
        in.BeginRead();
        for (AudioChunk chunk = in.ReadData(blockBytes); chunk.bytes > 0;
             chunk = in.ReadData(blockBytes))
            pcm.append(reinterpret_cast<const char*>(chunk.data), chunk.bytes);
        EXPECT_LE(static_cast<int64_t>(pcm.size()), in.Size());
        in.EndRead();
        return pcm;
    }

    Owned<TWMIn> Open(const std::filesystem::path& file)
    {
        auto in = MakeComponent<TWMIn>();
        in->SetFileName(file.string());
        return in;
    }
};

TEST_F(WmInTest, DecodesMp3AndWmaAsFfmpegDoes)
{
    const std::filesystem::path files[] = {
        Lame("stereo.mp3", 1.5),
        Lame("mono.mp3", 1, "-m m -b 96"),
        Wma("stereo.wma", 1.5),
        Wma("mono.wma", 1, "-ac 1 -ar 32000"),
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        auto in = file.extension() == ".mp3" ? MakeComponent<TMP3In>() : MakeComponent<TWMIn>();
        in->SetFileName(file.string());
        ASSERT_TRUE(in->IsValid());
        EXPECT_EQ(std::to_string(in->GetSampleRate()) + "\n" + std::to_string(in->GetChannels()),
                  Probe(file, "stream=sample_rate,channels"));
        EXPECT_EQ(in->GetBitsPerSample(), 16u);
        EXPECT_EQ(Samples16(ReadAll(*in)), FfmpegDecode(file));
    }
}

TEST_F(WmInTest, SinkGetsTheDecodedSamplesAndNoSilenceUpToTheAnnouncedLength)
{
    // The length comes from the container's duration in hundredths of a second, which here
    // still counts the encoder's padding at the end: the file holds what the decoder gave.
    const auto file = Lame("sink.mp3", 1.5);
    auto in = MakeComponent<TMP3In>();
    in->SetFileName(file.string());
    auto out = MakeComponent<TWaveOut>();
    out->SetInput(in.get());
    out->SetFileName((dir_ / "out.wav").string());
    ASSERT_EQ(Run(*out), "");
    const std::vector<int16_t> written = Samples16(test::WaveData(dir_ / "out.wav"));
    EXPECT_LT(static_cast<int64_t>(written.size()), in->GetSampleCount() * 2);
    EXPECT_TRUE(written == FfmpegDecode(file));
}

TEST_F(WmInTest, ThreeAndAHalfSecondsAt44100)
{
    // lame records its delay and padding, so the heard length is the source's 3.5 s.
    const auto file = Lame("edge.mp3", 3.5);
    auto in = Open(file);
    EXPECT_EQ(in->GetSampleCount(), 154350);
    EXPECT_EQ(in->Size(), 617400);
    EXPECT_EQ(ReadAll(*in).size(), 617400u);
}

TEST_F(WmInTest, NeverDeliversMoreThanTheDurationAnnounces)
{
    // The file properties object's play duration (100 ns units, preroll included) cut to 1 s
    // of a 1.5 s file.
    std::string file = ReadFile(Wma("long.wma", 1.5));
    const std::string fileProperties = {'\xA1', '\xDC', '\xAB', '\x8C', '\x47', '\xA9',
                                        '\xCF', '\x11', '\x8E', '\xE4', '\x00', '\xC0',
                                        '\x0C', '\x20', '\x53', '\x65'};
    const std::size_t at = file.find(fileProperties);
    ASSERT_NE(at, std::string::npos);
    const uint64_t prerollMs = ReadLittleEndian(file, at + 80, 8);
    WriteLittleEndian(file, at + 64, 8, (1000 + prerollMs) * 10000);
    WriteFile(dir_ / "cut.wma", file);

    auto in = Open(dir_ / "cut.wma");
    ASSERT_TRUE(in->IsValid());
    EXPECT_EQ(in->GetSampleCount(), 44100);
    ASSERT_GT(FfmpegDecode(dir_ / "cut.wma").size(), 44100u * 2);
    EXPECT_EQ(ReadAll(*in, 3000).size(), 44100u * 2 * 2);
}

TEST_F(WmInTest, BlocksNeverSpanTwoDecodedBuffers)
{
    // Every MP3 frame at 44.1 kHz stereo decodes to 1152 frames of 4 bytes; the first is
    // shortened by the encoder delay.
    auto in = Open(Lame("blocks.mp3", 1));
    in->BeginRead();
    const AudioChunk first = in->ReadData(65536);
    EXPECT_GT(first.bytes, 0u);
    EXPECT_LT(first.bytes, 4608u);
    EXPECT_EQ(in->ReadData(3608).bytes, 3608u);
    EXPECT_EQ(in->ReadData(65536).bytes, 1000u);
    EXPECT_EQ(in->ReadData(65536).bytes, 4608u);
    in->EndRead();
}

TEST_F(WmInTest, TagsReadAsFfprobeShowsThem)
{
    const std::string common =
        " -metadata title='A Title' -metadata artist='Ärtist' -metadata album='Album' "
        "-metadata genre='Jazz' -metadata copyright='(c) Someone' ";
    const auto wave = Wave("tags.wav", 0.5);
    const auto mp3 = dir_ / "tags.mp3";
    RunCommand("ffmpeg -v error -y -i " + Quoted(wave) + " -c:a libmp3lame -id3v2_version 3" +
               common + "-metadata date=1999 -metadata track=7 " + Quoted(mp3));
    const auto wma = dir_ / "tags.wma";
    RunCommand("ffmpeg -v error -y -i " + Quoted(wave) + " -c:a wmav2" + common +
               "-metadata WM/Year=2001 -metadata WM/TrackNumber=3 " + Quoted(wma));

    for (const auto& [file, year, track] :
         {std::tuple{mp3, "date", "track"}, std::tuple{wma, "WM/Year", "track"}}) {
        SCOPED_TRACE(file.filename().string());
        auto in = Open(file);
        // Reading the tags of a closed source opens it.
        const TId3v2Tags& tags = in->Id3v2Tags();
        const std::map<std::string, std::string> probed = FormatTags(file);
        const auto tag = [&](const std::string& key) {
            const auto found = probed.find(key);
            return found == probed.end() ? std::string() : found->second;
        };
        EXPECT_EQ(tags.Title(), tag("title"));
        EXPECT_EQ(tags.Artist(), tag("artist"));
        EXPECT_EQ(tags.Album(), tag("album"));
        EXPECT_EQ(tags.Genre(), tag("genre"));
        EXPECT_EQ(tags.Year(), tag(year));
        EXPECT_EQ(tags.Track(), tag(track));
        EXPECT_EQ(tags.Comment(), tag("copyright"));
        EXPECT_EQ(tags.Artist(), "Ärtist");
        EXPECT_FALSE(tags.Year().empty());
        EXPECT_FALSE(tags.Track().empty());
    }
}

// Where the samples after a seek sit in the file's decoded samples: the frame offset from
// expected, within +-range, that matches best (decoders need a frame to settle after a seek,
// so the first 2304 frames are not compared).
int64_t LandingOffset(const std::vector<int16_t>& reference, const std::vector<int16_t>& afterSeek,
                      int64_t expected, int64_t range)
{
    constexpr std::size_t kSettle = 2304 * 2;
    int64_t best = std::numeric_limits<int64_t>::max();
    double bestError = std::numeric_limits<double>::max();
    for (int64_t offset = -range; offset <= range; ++offset) {
        const int64_t start = (expected + offset) * 2;
        if (start < 0 || static_cast<std::size_t>(start) + afterSeek.size() > reference.size())
            continue;
        double error = 0;
        for (std::size_t i = kSettle; i < afterSeek.size(); ++i)
            error += std::abs(afterSeek[i] - reference[static_cast<std::size_t>(start) + i]);
        if (error < bestError) {
            bestError = error;
            best = offset;
        }
    }
    EXPECT_LT(bestError / static_cast<double>(afterSeek.size() - kSettle), 2.0) << "no close match";
    return best;
}

TEST_F(WmInTest, SeeksToWithinTenMilliseconds)
{
    for (const auto& file : {Lame("seek.mp3", 2), Wma("seek.wma", 2)}) {
        SCOPED_TRACE(file.filename().string());
        const std::vector<int16_t> reference = FfmpegDecode(file);
        auto in = Open(file);
        in->BeginRead();
        std::vector<int16_t> afterSeek(4096 * 2);
        bool atEnd = false;
        for (const int64_t frame : {int64_t{30000}, int64_t{0}, int64_t{44100}, int64_t{12345}}) {
            SCOPED_TRACE(frame);
            ASSERT_TRUE(in->SeekTo(frame));
            ASSERT_EQ(in->ReadFull(afterSeek.data(), afterSeek.size() * 2, atEnd),
                      afterSeek.size() * 2);
            EXPECT_LE(std::abs(LandingOffset(reference, afterSeek, frame, 1000)), 441);
        }
        in->EndRead();
    }
}

TEST_F(WmInTest, ProtectedWmaIsRefused)
{
    // A content encryption object (no secret, type "DRM", no key, no licence address) put
    // first into the header object, whose size and object count grow to match.
    std::string file = ReadFile(Wma("plain.wma", 0.5));
    const unsigned char object[] = {
        0xFB, 0xB3, 0x11, 0x22, 0x23, 0xBD, 0xD2, 0x11, 0xB4, 0xB7, 0x00, 0xC0, 0x4F, 0xB8, 0xD8,
        0xA9, 44,   0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    4,    0,
        0,    0,    'D',  'R',  'M',  0,    0,    0,    0,    0,    0,    0,    0,    0};
    file.insert(30, reinterpret_cast<const char*>(object), sizeof object);
    WriteLittleEndian(file, 16, 8, ReadLittleEndian(file, 16, 8) + sizeof object);
    WriteLittleEndian(file, 24, 4, ReadLittleEndian(file, 24, 4) + 1);
    WriteFile(dir_ / "protected.wma", file);
    auto in = Open(dir_ / "protected.wma");
    try {
        in->GetChannels();
        FAIL() << "a protected file opened";
    } catch (const EAuException& error) {
        EXPECT_STREQ(error.what(), "File is protected");
    }
}

TEST_F(WmInTest, OpensFromByteThirtyWhenTheStartIsRefused)
{
    // The head of an ASF header object that claims more bytes than the file has: FFmpeg takes
    // the file for ASF and cannot open it; from byte 30 on it is a plain MP3.
    const std::string mp3 = ReadFile(Lame("behind.mp3", 1));
    std::string head = {'\x30', '\x26', '\xB2', '\x75', '\x8E', '\x66', '\xCF', '\x11',
                        '\xA6', '\xD9', '\x00', '\xAA', '\x00', '\x62', '\xCE', '\x6C'};
    head += std::string(7, '\x7F') + std::string(1, '\0') + std::string(6, '\x01');
    ASSERT_EQ(head.size(), 30u);
    TMemoryStream stream;
    const std::string bytes = head + mp3;
    stream.Write(bytes.data(), bytes.size());
    auto in = MakeComponent<TMP3In>();
    in->SetStream(&stream);
    ASSERT_TRUE(in->IsValid());
    EXPECT_EQ(Samples16(ReadAll(*in)), FfmpegDecode(dir_ / "behind.mp3"));
}

TEST_F(WmInTest, BadInputIsInvalidOrAClearError)
{
    const std::string mp3 = ReadFile(Lame("whole.mp3", 1));
    WriteFile(dir_ / "truncated.mp3", mp3.substr(0, mp3.size() / 2 + 17));
    WriteFile(dir_ / "text.wma", "This is not a Windows Media file.\nJust some words.\n");
    WriteFile(dir_ / "empty.wma", "");
    RunCommand("ffmpeg -v error -y -f lavfi -i testsrc=duration=0.5:size=64x48 -c:v wmv2 -f asf " +
               Quoted(dir_ / "video.wma"));

    // A cut file decodes as far as it goes.
    auto truncated = Open(dir_ / "truncated.mp3");
    ASSERT_TRUE(truncated->IsValid());
    const std::string part = ReadAll(*truncated);
    EXPECT_GT(part.size(), 0u);
    EXPECT_LT(part.size(), 44100u * 4);

    for (const std::string name : {"text.wma", "empty.wma", "video.wma"}) {
        SCOPED_TRACE(name);
        auto in = Open(dir_ / name);
        EXPECT_FALSE(in->IsValid());
        EXPECT_EQ(in->GetChannels(), 0u);
        EXPECT_EQ(in->GetSampleCount(), -1);
        EXPECT_EQ(ReadAll(*in), "");
    }

    const auto expectError = [](TWMIn& in, const std::string& message) {
        try {
            in.GetSampleRate();
            FAIL() << "no error for " << message;
        } catch (const EAuException& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
    };
    expectError(*MakeComponent<TWMIn>(), "File name is not assigned");
    expectError(*Open(dir_ / "missing.wma"), "Cannot open file");
}

} // namespace
} // namespace corvath
