#include "audio/model/au_exception.h"
#include "audio/model/event_handler.h"
#include "audio/wave/wave_in.h"
#include "codecs/opus/opus_out.h"
#include "support/audio_tools.h"
#include "support/cover_archive.h"
#include "support/file_size_limit.h"
#include "support/run_command.h"
#include "support/stopped_output.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <latch>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace corvath {
namespace {

using namespace std::chrono_literals;
using std::filesystem::exists;
using std::filesystem::path;
using test::HaveTool;
using test::Quoted;
using test::RunCommand;

constexpr uint32_t kOpusRate = 48000;

// What opusinfo prints of the file, and whether it found the file sound (status 0, no warning).
struct OpusInfo {
    std::string text;
    bool sound = false;
};

OpusInfo Inspect(const path& file)
{
    std::string text = RunCommand("opusinfo " + Quoted(file) + " 2>&1; echo status=$?");
    const bool sound = text.ends_with("status=0\n") && text.find("WARNING") == std::string::npos &&
                       text.find("ERROR") == std::string::npos;
    return {std::move(text), sound};
}

// Interleaved 16-bit samples as opusdec decodes the file at 48 kHz, pre-skip and end trimmed.
std::vector<int16_t> Decode48k(const path& file)
{
    const path wav = path(file).replace_extension(".decoded.wav");
    RunCommand("opusdec --quiet --rate 48000 --force-wav " + Quoted(file) + " " + Quoted(wav) +
               " 2>&1");
    return test::Samples16(test::WaveData(wav));
}

// What ffprobe says of the file's streams, one "key=value" a line.
std::string Probe(const path& file, const std::string& entries)
{
    return RunCommand("ffprobe -v error -show_entries " + entries + " -of default=nw=1 " +
                      Quoted(file));
}

class OpusOutTest : public test::AudioRunFixture {
protected:
    void SetUp() override
    {
        AudioRunFixture::SetUp();
        ASSERT_TRUE(OpusEncLibrary().Load()) << OpusEncLibrary().NotLoadedMessage();
        for (const char* tool : {"opusinfo", "opusdec", "sox", "ffprobe", "ffmpeg"})
            if (!HaveTool(tool))
                GTEST_SKIP() << "opus-tools, sox and ffmpeg are needed to make and check the files";
        out_ = MakeComponent<TOpusOut>();
        out_->SetDoneDelay(0ms); // nothing here waits for the windows' pause
        fake_ = MakeComponent<test::FakeSource>();
        wave_ = MakeComponent<TWaveIn>();
    }
    void TearDown() override
    {
        out_.reset();
        fake_.reset();
        wave_.reset();
        AudioRunFixture::TearDown();
    }

    std::string Encode(TAuInput& source, const path& file)
    {
        out_->SetInput(&source);
        out_->SetFileName(file.string());
        return Run(*out_);
    }

    std::string EncodeWave(const path& wav, const path& file)
    {
        wave_->SetFileName(wav.string());
        return Encode(*wave_, file);
    }

    Owned<TOpusOut> out_;
    Owned<test::FakeSource> fake_;
    Owned<TWaveIn> wave_;
};

// One input format, with a tone of its own in each channel so that a channel that lands in the
// wrong place shows.
struct Format {
    const char* name;
    uint32_t bits;
    uint32_t rate;
    std::vector<double> tones; // Hz, one per channel; the fourth of six is the LFE channel
};

void PrintTo(const Format& format, std::ostream* out)
{
    *out << format.name;
}

class OpusRoundTrip : public OpusOutTest, public ::testing::WithParamInterface<Format> {};

TEST_P(OpusRoundTrip, DecodesAt48kHzToTheInputsLengthAndSound)
{
    const Format& format = GetParam();
    const auto channels = static_cast<uint32_t>(format.tones.size());
    std::string sound;
    for (const double tone : format.tones)
        sound += " sine " + std::to_string(tone);
    const path wav = test::Sox(dir_ / "in.wav",
                               "-b " + std::to_string(format.bits) + " -c " +
                                   std::to_string(channels) + " -r " + std::to_string(format.rate),
                               "1.25", sound + " vol 0.5");
    const path file = dir_ / "out.opus";
    ASSERT_EQ(EncodeWave(wav, file), "");

    const OpusInfo info = Inspect(file);
    EXPECT_TRUE(info.sound) << info.text;
    EXPECT_NE(info.text.find("\tChannels: " + std::to_string(channels) + "\n"), std::string::npos)
        << info.text;
    EXPECT_NE(info.text.find("\tOriginal sample rate: " + std::to_string(format.rate) + " Hz\n"),
              std::string::npos)
        << info.text;

    const std::vector<int16_t> input = test::SoxDecode(wav);
    const std::vector<int16_t> decoded = Decode48k(file);
    // The last page's position says exactly where the sound ends, rounded up to 48 kHz.
    const std::size_t frames = input.size() / channels;
    const std::size_t frames48k = (frames * kOpusRate + format.rate - 1) / format.rate;
    ASSERT_EQ(decoded.size(), frames48k * channels);
    for (uint32_t c = 0; c < channels; ++c) {
        SCOPED_TRACE("channel " + std::to_string(c));
        const std::vector<int16_t> channel = test::ChannelOf(decoded, channels, c);
        EXPECT_NEAR(test::ToneFrequency(channel, kOpusRate), format.tones[c],
                    format.tones[c] / 100);
        const double rms = test::Rms(test::ChannelOf(input, channels, c));
        EXPECT_NEAR(test::Rms(channel), rms, rms / 10);
    }
}

INSTANTIATE_TEST_SUITE_P(
    InputFormats, OpusRoundTrip,
    ::testing::Values(Format{"Cd", 16, 44100, {440, 550}}, Format{"HalfRateMono", 16, 22050, {440}},
                      Format{"EightBit", 8, 44100, {440, 550}},
                      Format{"TwentyFourBitHighRate", 24, 96000, {440, 550}},
                      Format{"FiveOne", 16, 48000, {330, 440, 550, 80, 660, 770}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OpusOutTest, UnsupportedInputIsRefusedBeforeTheFileExists)
{
    struct Case {
        uint32_t bits;
        uint32_t channels;
        uint32_t rate;
        std::string message;
    };
    const std::vector<Case> cases = {
        {32, 2, 44100, "Cannot encode 32 bit sound into Opus."},
        {12, 2, 44100, "Cannot encode 12 bit sound into Opus."},
        {16, 9, 44100, "Cannot encode 9 channels into Opus."},
        {16, 0, 44100, "Cannot encode 0 channels into Opus."},
        {16, 2, 0, "Cannot encode sound without a sample rate into Opus."},
    };
    const path file = dir_ / "refused.opus";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        fake_->bits = c.bits;
        fake_->channels = c.channels;
        fake_->rate = c.rate;
        EXPECT_EQ(Encode(*fake_, file), c.message);
        EXPECT_FALSE(exists(file));
    }
}

TEST_F(OpusOutTest, TagsAndCoverGoIntoEveryFileUntilChanged)
{
    const std::string jpeg = test::PatternCover(dir_.path());
    out_->SetCoverPicture(CoverPictureOf(jpeg));
    out_->Tags().SetTitle("Песня о встрече");
    out_->Tags().SetArtist("Ane Brun");
    out_->Tags().SetTrack("7");
    for (const char* name : {"first.opus", "second.opus"}) {
        SCOPED_TRACE(name);
        const path file = dir_ / name;
        ASSERT_EQ(Encode(*fake_, file), "");
        const OpusInfo info = Inspect(file);
        EXPECT_TRUE(info.sound) << info.text;
        EXPECT_NE(info.text.find("User comments section follows...\n\tTITLE=Песня о встрече\n"
                                 "\tARTIST=Ane Brun\n\tTRACKNUMBER=7\n"),
                  std::string::npos)
            << info.text;
        // ffmpeg names the picture's type in the tags of its stream.
        EXPECT_EQ(Probe(file, "stream=codec_name,width,height:stream_disposition=attached_pic:"
                              "stream_tags"),
                  "codec_name=opus\nDISPOSITION:attached_pic=0\nTAG:TITLE=Песня о встрече\n"
                  "TAG:ARTIST=Ane Brun\nTAG:track=7\ncodec_name=mjpeg\nwidth=500\nheight=500\n"
                  "DISPOSITION:attached_pic=1\nTAG:comment=Cover (front)\n");
        const path cover = dir_ / "cover.jpg";
        RunCommand("ffmpeg -v error -y -i " + Quoted(file) + " -an -c:v copy -f image2 " +
                   Quoted(cover));
        EXPECT_EQ(test::ReadFile(cover), jpeg);
    }

    TVorbisTags other;
    other.SetGenre("Folk");
    out_->SetTags(other);
    out_->SetCoverPicture(std::nullopt);
    const path file = dir_ / "third.opus";
    ASSERT_EQ(Encode(*fake_, file), "");
    EXPECT_EQ(Probe(file, "stream_tags:stream=codec_type"), "codec_type=audio\nTAG:GENRE=Folk\n");
}

TEST_F(OpusOutTest, BitRateIsClampedAndComplexityOutOfRangeRefused)
{
    for (const auto& [asked, kept] :
         {std::pair{96, 96}, {6, 6}, {5, 6}, {-1, 6}, {512, 512}, {513, 512}}) {
        out_->SetBitrate(asked);
        EXPECT_EQ(out_->Bitrate(), kept) << asked;
    }
    for (const auto& [asked, kept] : {std::pair{0, 0}, {11, 0}, {-1, 0}, {10, 10}}) {
        out_->SetComplexity(asked);
        EXPECT_EQ(out_->Complexity(), kept) << asked;
    }
}

// On noise every bit counts, so the file's rate follows the target.
TEST_F(OpusOutTest, TheBitRateSetsTheFilesRateAndEveryComplexityGivesAValidFile)
{
    const path noise =
        test::Sox(dir_ / "noise.wav", "-b 16 -c 2 -r 44100", "5", "pinknoise vol 0.5");
    struct Case {
        int32_t kbps;
        int32_t complexity;
    };
    std::vector<std::uintmax_t> sizes;
    for (const Case& c : {Case{64, 10}, Case{192, 10}, Case{64, 0}, Case{6, 10}, Case{512, 0}}) {
        SCOPED_TRACE(std::to_string(c.kbps) + " kbit/s, complexity " +
                     std::to_string(c.complexity));
        out_->SetBitrate(c.kbps);
        out_->SetComplexity(c.complexity);
        const path file = dir_ / "rate.opus";
        ASSERT_EQ(EncodeWave(noise, file), "");
        const OpusInfo info = Inspect(file);
        EXPECT_TRUE(info.sound) << info.text;
        EXPECT_EQ(Decode48k(file).size(), 5u * kOpusRate * 2);
        sizes.push_back(std::filesystem::file_size(file));
    }
    EXPECT_GT(sizes[1], 2 * sizes[0]) << "192 kbit/s against 64 kbit/s";
    const auto kbps = [](std::uintmax_t bytes) { return bytes * 8 / 5 / 1000.0; };
    EXPECT_NEAR(kbps(sizes[0]), 64, 64 * 0.2);
    EXPECT_NEAR(kbps(sizes[1]), 192, 192 * 0.2);
}

TEST_F(OpusOutTest, AStoppedRunEndsItsStreamAndSettingsWaitForTheNextRun)
{
    fake_->total = 44100 * 4 * 60;
    fake_->delay = 1ms;
    const path file = dir_ / "stopped.opus";
    out_->SetInput(fake_.get());
    out_->SetFileName(file.string());
    out_->Start();
    ASSERT_TRUE(PumpUntil([&] { return fake_->Position() > 0; }));
    out_->SetBitrate(64);
    out_->SetComplexity(3);
    EXPECT_EQ(out_->Bitrate(), 128);
    EXPECT_EQ(out_->Complexity(), 10);
    out_->StopOutput(false);

    EXPECT_FALSE(out_->IsBusy());
    ASSERT_TRUE(test::TakeStoppedFile(file));
    const OpusInfo info = Inspect(file);
    EXPECT_TRUE(info.sound) << info.text;
    EXPECT_LT(Decode48k(file).size(), 10u * kOpusRate * 2) << "far less than the minute given";
}

// A source that keeps the run in its opening until the test lets it go.
class HeldSource : public test::FakeSource {
public:
    using FakeSource::FakeSource;
    std::latch held{1};

protected:
    void OpenSource() override
    {
        held.wait();
        FakeSource::OpenSource();
    }
};

// The encoder is drained without having been given any sound.
TEST_F(OpusOutTest, AStopBeforeTheFirstStepGivesAValidEmptyFile)
{
    const auto source = MakeComponent<HeldSource>();
    const path file = dir_ / "early.opus";
    out_->SetInput(source.get());
    out_->SetFileName(file.string());
    std::atomic<bool> done{false};
    out_->SetOnDone([&](TAuOutput*) { done = true; });
    out_->Start();
    out_->StopOutput(true);
    source->held.count_down();
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
    EXPECT_EQ(out_->LastError(), "");
    ASSERT_TRUE(test::TakeStoppedFile(file));
    const OpusInfo info = Inspect(file);
    EXPECT_TRUE(info.sound) << info.text;
    EXPECT_TRUE(Decode48k(file).empty());
}

// The headers are written when the file starts; the library holds two seconds of sound before it
// writes any, so a short input reaches the disk only when the encoder is drained at the end.
TEST_F(OpusOutTest, AFullDiskFailsTheRunWithTheSystemsReasonAndLeavesNoFile)
{
    struct Case {
        const char* when;
        int64_t seconds;
        rlim_t limit;
    };
    const path file = dir_ / "full.opus";
    for (const Case& c : {Case{"at the start", 1, 100}, Case{"in a step", 10, 20000},
                          Case{"at the end", 1, 2000}}) {
        SCOPED_TRACE(c.when);
        fake_->total = 44100 * 4 * c.seconds;
        {
            const test::FileSizeLimit limit(c.limit);
            EXPECT_EQ(Encode(*fake_, file),
                      "Cannot write file " + file.string() + ": File too large");
        }
        EXPECT_FALSE(exists(file));
        ASSERT_EQ(Encode(*fake_, file), "") << "the next run starts afresh";
        EXPECT_TRUE(Inspect(file).sound);
        std::filesystem::remove(file);
    }
}

TEST(OpusEncLibraryTest, WithoutTheLibraryNoOutputIsMadeAndTheMessageNamesTheFile)
{
    EXPECT_EQ(OpusEncLibrary().NotLoadedMessage(), "libopusenc.so.0 library could not be loaded.");
    OpusEncLibrary().Unload();
    OpusEncLibrary().SetFileName("libopusenc.so.missing");
    EXPECT_FALSE(OpusEncLibrary().Load());
    const int32_t sinks = TEventHandler::OutputCount();
    try {
        MakeComponent<TOpusOut>();
        ADD_FAILURE() << "constructed without the library";
    } catch (const EAuException& error) {
        EXPECT_STREQ(error.what(), "libopusenc.so.missing library could not be loaded.");
    }
    EXPECT_EQ(TEventHandler::OutputCount(), sinks) << "the refused output left nothing behind";
    OpusEncLibrary().SetFileName("libopusenc.so.0");
    EXPECT_TRUE(OpusEncLibrary().Load());
}

} // namespace
} // namespace corvath
