#include "audio/model/au_exception.h"
#include "audio/model/event_handler.h"
#include "audio/model/memory_stream.h"
#include "audio/wave/wave_in.h"
#include "codecs/mp3/mp3_out.h"
#include "support/audio_tools.h"
#include "support/file_size_limit.h"
#include "support/run_command.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace corvath {
namespace {

struct Frame {
    int kbps, rate, mode;
    std::size_t end;
};

// The layer III frames from the first byte on, up to the first byte that starts none.
std::vector<Frame> Frames(const std::string& file)
{
    static constexpr int kMpeg1Kbps[] = {0,   32,  40,  48,  56,  64,  80,  96,
                                         112, 128, 160, 192, 224, 256, 320, 0};
    static constexpr int kMpeg2Kbps[] = {0,  8,  16, 24,  32,  40,  48,  56,
                                         64, 80, 96, 112, 128, 144, 160, 0};
    static constexpr int kMpeg1Rates[] = {44100, 48000, 32000, 0};
    std::vector<Frame> frames;
    for (std::size_t at = 0; at + 4 <= file.size();) {
        const auto* h = reinterpret_cast<const uint8_t*>(file.data() + at);
        const int version = h[1] >> 3 & 3; // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
        const int kbps = (version == 3 ? kMpeg1Kbps : kMpeg2Kbps)[h[2] >> 4];
        const int rate = kMpeg1Rates[h[2] >> 2 & 3] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
        if (h[0] != 0xFF || (h[1] & 0xE6) != 0xE2 || version == 1 || kbps == 0 || rate == 0)
            break;
        at += (version == 3 ? 144000u : 72000u) * kbps / rate + (h[2] >> 1 & 1);
        frames.push_back({kbps, rate, h[3] >> 6, at});
    }
    return frames;
}

// Sign changes of one channel: twice a sine's frequency per second.
int ZeroCrossings(const std::vector<int16_t>& samples, std::size_t channels, std::size_t channel)
{
    int crossings = 0;
    for (std::size_t i = channel + channels; i < samples.size(); i += channels)
        crossings += (samples[i - channels] < 0) != (samples[i] < 0);
    return crossings;
}

class Mp3OutTest : public test::AudioRunFixture {
protected:
    void SetUp() override
    {
        AudioRunFixture::SetUp();
        out_ = MakeComponent<TMP3Out>();
        fake_ = MakeComponent<test::FakeSource>();
        out_->SetFileName(file_);
    }
    void TearDown() override
    {
        out_.reset();
        fake_.reset();
        wave_.reset();
        AudioRunFixture::TearDown();
    }
    std::string Encode(TAuInput& input)
    {
        out_->SetInput(&input);
        return Run(*out_);
    }
    // The file's frames; fails unless they fill it exactly (no tag, no stray bytes).
    std::vector<Frame> WholeFileFrames(const std::string& bytes)
    {
        auto frames = Frames(bytes);
        EXPECT_TRUE(!frames.empty() && frames.back().end == bytes.size());
        return frames;
    }
    std::vector<Frame> WholeFileFrames() { return WholeFileFrames(test::ReadFile(file_)); }
    // A 440 Hz sine by sox, 660 Hz on the right.
    TAuInput& Sine(int channels, int rate, double seconds)
    {
        const auto wav = (dir_ / "in.wav").string();
        test::RunCommand("sox -n -b 16 -r " + std::to_string(rate) + " '" + wav + "' synth " +
                         std::to_string(seconds) + " sine 440" +
                         (channels == 2 ? " sine 660" : "") + " gain -3");
        wave_ = MakeComponent<TWaveIn>();
        wave_->SetFileName(wav);
        return *wave_;
    }
    // -1 when ffprobe cannot read the file.
    double ProbedDuration()
    {
        const std::string probed = test::RunCommand(
            "ffprobe -v error -show_entries format=duration -of csv=p=0 '" + file_ + "'");
        return probed.empty() ? -1 : std::stod(probed);
    }
    // Within one frame plus the encoder delay.
    void ExpectDuration(double seconds, int rate)
    {
        EXPECT_NEAR(ProbedDuration(), seconds, (1152.0 + 1105) / rate);
    }

    const std::string file_ = (dir_ / "out.mp3").string();
    Owned<TMP3Out> out_;
    Owned<test::FakeSource> fake_;
    Owned<TWaveIn> wave_;
};

class Mp3RoundTripTest : public Mp3OutTest {
protected:
    void SetUp() override
    {
        Mp3OutTest::SetUp();
        if (!test::HaveTool("sox") || !test::HaveTool("ffprobe") || !test::HaveTool("ffmpeg"))
            GTEST_SKIP() << "sox, ffprobe and ffmpeg are needed";
    }
};

TEST_F(Mp3RoundTripTest, ChannelModesLengthAndSound)
{
    for (const TMP3Mode mode : {STEREO, JOINT_STEREO, DUAL_CHANNEL, MONO}) {
        out_->SetMode(mode);
        ASSERT_EQ(Encode(Sine(2, 44100, 0.5)), "");
        EXPECT_EQ(WholeFileFrames().at(1).mode, mode);
    }
    out_->SetMode(JOINT_STEREO);
    ASSERT_EQ(Encode(Sine(2, 44100, 3)), "");
    ExpectDuration(3, 44100);
    const auto stereo = test::FfmpegDecode(file_);
    EXPECT_NEAR(ZeroCrossings(stereo, 2, 0), 2 * 440 * 3, 30);
    EXPECT_NEAR(ZeroCrossings(stereo, 2, 1), 2 * 660 * 3, 30);
    // Mono input: mode 3 whatever Mode says, each sample once and in order.
    ASSERT_EQ(Encode(Sine(1, 44100, 2)), "");
    EXPECT_EQ(WholeFileFrames().at(1).mode, MONO);
    ExpectDuration(2, 44100);
    EXPECT_NEAR(ZeroCrossings(test::FfmpegDecode(file_), 1, 0), 2 * 440 * 2, 20);
}

TEST_F(Mp3RoundTripTest, OutputSampleRateAndConstantBitRate)
{
    struct Case {
        int channels, inputRate;
        TMP3SampleRate choice;
        TMP3BitRate bitRate;
        int kbps, outputRate;
    };
    for (const Case& c :
         {Case{2, 22050, sr48kHz, br128, 128, 32000},  // below 41 kHz: always 32 kHz
          Case{1, 8000, srDefault, br320, 320, 32000}, // four times the samples out
          Case{2, 44100, sr32kHz, br160, 160, 32000}, Case{2, 44100, sr41kHz, br128, 128, 44100},
          Case{2, 48000, srDefault, br256, 256, 48000}}) {
        SCOPED_TRACE(c.inputRate);
        out_->SetSampleRate(c.choice);
        out_->SetBitRate(c.bitRate);
        ASSERT_EQ(Encode(Sine(c.channels, c.inputRate, 2)), "");
        const auto frames = WholeFileFrames();
        EXPECT_NE(test::ReadFile(file_).substr(0, frames.at(0).end).find("Info"),
                  std::string::npos);
        for (std::size_t i = 1; i < frames.size(); ++i)
            ASSERT_TRUE(frames[i].rate == c.outputRate && frames[i].kbps == c.kbps)
                << "frame " << i;
        ExpectDuration(2, c.outputRate);
    }
}

TEST_F(Mp3RoundTripTest, VariableBitRateWithHeaderAndExchangedLimits)
{
    out_->SetEnableVBR(true);
    out_->SetWriteVBRHeader(true);
    out_->SetVBRMinBitrate(192);
    out_->SetVBRMaxBitrate(128);
    ASSERT_EQ(Encode(Sine(2, 44100, 3)), "");
    EXPECT_EQ(out_->VBRMinBitrate(), 128);
    EXPECT_EQ(out_->VBRMaxBitrate(), 192);
    const auto frames = WholeFileFrames();
    EXPECT_NE(test::ReadFile(file_).substr(0, frames.at(0).end).find("Xing"), std::string::npos);
    for (std::size_t i = 1; i < frames.size(); ++i)
        ASSERT_LE(frames[i].kbps, 192) << "frame " << i;
    ExpectDuration(3, 44100);
}

TEST_F(Mp3RoundTripTest, EmptyInputAndAnAttachedStreamOfUnknownLength)
{
    fake_->total = 0;
    ASSERT_EQ(Encode(*fake_), "");
    WholeFileFrames();
    const double emptyLength = ProbedDuration();
    EXPECT_TRUE(emptyLength >= 0 && emptyLength <= 2 * 1152.0 / 44100) << emptyLength;

    // The header frame lands where the stream's MP3 data begins, not on the owner's bytes.
    TMemoryStream stream;
    stream.Write("HEAD", 4);
    out_->SetStream(&stream);
    fake_->total = 44100 * 4 * 2;
    fake_->announced = -1;
    ASSERT_EQ(Encode(*fake_), "");
    const std::string bytes(stream.Bytes().begin(), stream.Bytes().end());
    ASSERT_EQ(bytes.substr(0, 4), "HEAD");
    test::WriteFile(file_, bytes.substr(4));
    WholeFileFrames();
    ExpectDuration(2, 44100);
}

TEST_F(Mp3OutTest, RefusedInputsAndAFullDiskFailTheRun)
{
    fake_->bits = 8;
    EXPECT_EQ(Encode(*fake_), "The MP3 encoder takes 16-bit sound only.");
    fake_->bits = 16;
    fake_->channels = 3;
    EXPECT_EQ(Encode(*fake_), "The MP3 encoder takes mono or stereo sound only.");
    EXPECT_FALSE(std::filesystem::exists(file_)) << "refused before the file was made";

    fake_->channels = 2;
    fake_->total = 44100 * 4 * 5;
    std::string error;
    {
        const test::FileSizeLimit limit(20000);
        error = Encode(*fake_);
    }
    EXPECT_EQ(error, "Cannot write file " + file_ + ": File too large");
    ASSERT_EQ(Encode(*fake_), "") << "the failed run released the file and the encoder";
    WholeFileFrames();
}

TEST_F(Mp3OutTest, AMissingLibraryIsNamed)
{
    out_.reset();
    ASSERT_EQ(LameLibrary().FileName(), "libmp3lame.so.0");
    LameLibrary().SetFileName("libmp3lame-missing.so.0");
    const int32_t sinks = TEventHandler::OutputCount();
    try {
        MakeComponent<TMP3Out>();
        ADD_FAILURE() << "made without its library";
    } catch (const EAuException& error) {
        EXPECT_STREQ(error.what(), "libmp3lame-missing.so.0 library could not be loaded.");
    }
    EXPECT_EQ(TEventHandler::OutputCount(), sinks) << "the refused output left nothing behind";
    LameLibrary().SetFileName("libmp3lame.so.0");
    out_ = MakeComponent<TMP3Out>();
    out_->SetFileName(file_);
    EXPECT_EQ(Encode(*fake_), "");
}

TEST_F(Mp3OutTest, AnOutputGoingAwayLeavesTheLibraryToAnotherStillEncoding)
{
    auto other = MakeComponent<TMP3Out>();
    fake_->total = 44100 * 4 * 5;
    fake_->delay = std::chrono::milliseconds(1);
    out_->SetInput(fake_.get());
    std::atomic<bool> done{false};
    out_->SetOnDone([&](TAuOutput*) { done = true; });
    out_->Start();
    ASSERT_TRUE(PumpUntil([&] { return fake_->Position() > 0; }));
    other.reset();
    out_->SetBitRate(br320); // refused while busy
    ASSERT_TRUE(out_->IsBusy()) << "the run must outlive the other output";
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }, std::chrono::seconds(60)));
    EXPECT_EQ(out_->LastError(), "");
    EXPECT_EQ(WholeFileFrames().back().kbps, 128);
}

} // namespace
} // namespace corvath
