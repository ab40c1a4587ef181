// WAV files coded by ffmpeg, decoded by TWaveConverter and checked against ffmpeg's own decoding.
#include "audio/model/au_file_stream.h"
#include "audio/wave/wave_converter.h"
#include "platform/acm/acm.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace corvath {
namespace {

constexpr long kMp3FrameSamples = 1152;

bool FfmpegInstalled()
{
    return std::system("ffmpeg -version >/dev/null 2>&1") == 0 &&
           std::system("ffprobe -version >/dev/null 2>&1") == 0;
}

using test::Quoted;

/// Codes two seconds of a sweep, different in each channel so that a swap or a delay shows.
/// False when this ffmpeg lacks the encoder.
bool MakeWav(const std::filesystem::path& file, int channels, int rate, const std::string& codec)
{
    const std::string sweep = "0.6*sin(2*PI*(150+900*t)*t)|0.5*sin(2*PI*(2500-700*t)*t+1)";
    const std::string command = "ffmpeg -nostdin -v quiet -y -f lavfi -i \"aevalsrc='" + sweep +
                                "':s=" + std::to_string(rate) + ":d=2\" -ac " +
                                std::to_string(channels) + " -c:a " + codec + " -f wav " +
                                Quoted(file);
    return std::system(command.c_str()) == 0;
}

template <typename Bytes> std::vector<int16_t> Samples(const Bytes& bytes)
{
    std::vector<int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                          static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    return samples;
}

std::vector<int16_t> FfmpegSamples(const std::filesystem::path& file)
{
    return Samples(test::RunCommand("ffmpeg -nostdin -v error -i " + Quoted(file) + " -f s16le -"));
}

void LoadFile(const std::filesystem::path& file, TWaveConverter& converter)
{
    TAuFileStream stream(file.string(), TAuFileStream::kReadShareRead);
    converter.LoadWav(stream);
}

/// The WAV reader's sequence after loading: suggest a PCM format, convert.
uint32_t SuggestAndConvert(TWaveConverter& converter)
{
    converter.NewFormat().SetFormatTag(WaveFormatRecord::kPcmTag);
    if (const uint32_t result = AcmFormatSuggest(converter.CurrentFormat(), converter.NewFormat()))
        return result;
    return converter.Convert();
}

uint32_t ConvertFile(const std::filesystem::path& file, TWaveConverter& converter)
{
    LoadFile(file, converter);
    return SuggestAndConvert(converter);
}

struct Alignment {
    long lagFrames = 0; ///< how far ours lags behind theirs
    int maxDifference = 0;
};

/// The lag, up to one MP3 frame either way, at which our samples match theirs best (judged on
/// a window in the middle; the sweep never repeats, so only the true lag fits), and the
/// largest difference over the whole overlap at that lag.
Alignment Align(const std::vector<int16_t>& ours, const std::vector<int16_t>& theirs, int channels)
{
    const auto compare = [&](long lag, std::size_t from, std::size_t to) {
        std::pair<int64_t, int> sumAndLargest{0, 0};
        for (std::size_t i = from; i < to; ++i) {
            const long j = static_cast<long>(i) - lag * channels;
            if (j >= 0 && j < static_cast<long>(theirs.size())) {
                const int d = std::abs(ours[i] - theirs[static_cast<std::size_t>(j)]);
                sumAndLargest.first += d;
                sumAndLargest.second = std::max(sumAndLargest.second, d);
            }
        }
        return sumAndLargest;
    };
    const std::size_t middle = ours.size() / 2;
    const std::size_t window = std::min<std::size_t>(4096 * channels, middle);
    Alignment best;
    int64_t bestSum = std::numeric_limits<int64_t>::max();
    for (long lag = -kMp3FrameSamples; lag <= kMp3FrameSamples; ++lag) {
        if (const int64_t sum = compare(lag, middle, middle + window).first; sum < bestSum) {
            bestSum = sum;
            best.lagFrames = lag;
        }
    }
    best.maxDifference = compare(best.lagFrames, 0, ours.size()).second;
    return best;
}

struct Coding {
    const char* name;
    const char* encoder;
    uint16_t formatTag;
    int channels;
    int rate;
    long lengthSlackFrames; ///< how far our length may stray from ffmpeg's
};

class WaveConverterFfmpeg : public testing::TestWithParam<Coding> {};

TEST_P(WaveConverterFfmpeg, DecodesLikeFfmpeg)
{
    if (!FfmpegInstalled())
        GTEST_SKIP() << "ffmpeg and ffprobe are needed to code and decode the test files";
    const Coding& coding = GetParam();
    const test::TempDir dir;
    const auto file = dir / "coded.wav";
    if (!MakeWav(file, coding.channels, coding.rate, coding.encoder))
        GTEST_SKIP() << "this ffmpeg cannot encode with " << coding.encoder;

    TWaveConverter converter;
    LoadFile(file, converter);
    ASSERT_EQ(converter.CurrentFormat().FormatTag(), coding.formatTag)
        << "ffmpeg wrote another tag";
    ASSERT_EQ(SuggestAndConvert(converter), 0u);
    const WaveFormatRecord& pcm = converter.CurrentFormat();
    EXPECT_EQ(pcm.FormatTag(), WaveFormatRecord::kPcmTag);
    EXPECT_EQ(pcm.Channels(), coding.channels);
    EXPECT_EQ(pcm.SampleRate(), static_cast<uint32_t>(coding.rate));
    EXPECT_EQ(pcm.BitsPerSample(), 16);

    const std::vector<int16_t> ours = Samples(converter.Bytes());
    const std::vector<int16_t> theirs = FfmpegSamples(file);
    ASSERT_FALSE(theirs.empty());
    const long extraFrames = static_cast<long>(ours.size() - theirs.size()) / coding.channels;
    EXPECT_LE(std::abs(extraFrames), coding.lengthSlackFrames);
    // Both sides run FFmpeg's decoder and 16-bit rounding, so they agree exactly today; one
    // sample of lag and one step of rounding leave room for other FFmpeg versions, while a
    // dropped frame, a swapped channel or a wrong conversion fails.
    const Alignment alignment = Align(ours, theirs, coding.channels);
    EXPECT_LE(std::abs(alignment.lagFrames), 1);
    EXPECT_LE(alignment.maxDifference, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Codings, WaveConverterFfmpeg,
    testing::Values(Coding{"Mp3Stereo", "libmp3lame -b:a 128k", 0x0055, 2, 44100, kMp3FrameSamples},
                    Coding{"Mp3Mono22k", "libmp3lame -b:a 32k", 0x0055, 1, 22050, kMp3FrameSamples},
                    Coding{"MsAdpcm", "adpcm_ms", 0x0002, 2, 22050, 0},
                    Coding{"ImaAdpcm", "adpcm_ima_wav", 0x0011, 2, 22050, 0},
                    Coding{"ALaw", "pcm_alaw", 0x0006, 1, 8000, 0},
                    Coding{"MuLaw", "pcm_mulaw", 0x0007, 2, 8000, 0},
                    Coding{"Gsm", "libgsm_ms", 0x0031, 1, 8000, 0}),
    [](const testing::TestParamInfo<Coding>& info) { return info.param.name; });

class WaveConverterFfmpegMp3 : public testing::Test {
protected:
    void SetUp() override
    {
        if (!FfmpegInstalled())
            GTEST_SKIP() << "ffmpeg and ffprobe are needed to code and decode the test files";
        if (!MakeWav(mp3_, 2, 44100, "libmp3lame -b:a 128k"))
            GTEST_SKIP() << "this ffmpeg cannot encode MP3";
    }

    const test::TempDir dir_;
    const std::filesystem::path mp3_ = dir_ / "mp3.wav";
};

TEST_F(WaveConverterFfmpegMp3, SavedPcmFileReadsBackInFfmpeg)
{
    TWaveConverter converter;
    ASSERT_EQ(ConvertFile(mp3_, converter), 0u);
    converter.SetPosition(5);
    TMemoryStream saved;
    ASSERT_TRUE(converter.SaveWav(saved));
    EXPECT_EQ(converter.Position(), 5);
    EXPECT_EQ(saved.Size(), 44 + converter.Size());

    const auto pcm = dir_ / "pcm.wav";
    test::WriteFile(pcm, std::string(saved.Bytes().begin(), saved.Bytes().end()));
    EXPECT_EQ(test::RunCommand("ffprobe -v error -show_entries stream=codec_name,sample_rate,"
                               "channels -of default=noprint_wrappers=1 " +
                               Quoted(pcm)),
              "codec_name=pcm_s16le\nsample_rate=44100\nchannels=2\n");
    EXPECT_EQ(FfmpegSamples(pcm), Samples(converter.Bytes()));
}

TEST_F(WaveConverterFfmpegMp3, TruncatedFileDecodesWhatItHolds)
{
    const std::string bytes = test::ReadFile(mp3_);
    const auto cut = dir_ / "cut.wav";
    test::WriteFile(cut, bytes.substr(0, bytes.size() * 3 / 5 + 7));

    TWaveConverter whole;
    TWaveConverter part;
    ASSERT_EQ(ConvertFile(mp3_, whole), 0u);
    ASSERT_EQ(ConvertFile(cut, part), 0u);
    ASSERT_GT(part.Size(), whole.Size() / 2);
    ASSERT_LT(part.Size(), whole.Size() * 2 / 3);
    // Frames before the cut decode as in the whole file; the frame the cut splits, and the
    // next one, whose bit reservoir it fed, may differ.
    const std::size_t settled = part.Bytes().size() - 2 * kMp3FrameSamples * 4;
    EXPECT_TRUE(
        std::equal(part.Bytes().begin(), part.Bytes().begin() + settled, whole.Bytes().begin()));
}

TEST_F(WaveConverterFfmpegMp3, FollowsAChannelCountChangingMidStream)
{
    const auto monoFile = dir_ / "mono.wav";
    ASSERT_TRUE(MakeWav(monoFile, 1, 44100, "libmp3lame -b:a 64k"));
    TWaveConverter stereo;
    TWaveConverter joined;
    LoadFile(mp3_, stereo);
    LoadFile(monoFile, joined);
    // One stream whose frames switch from mono to stereo, announced as stereo.
    joined.CurrentFormat() = stereo.CurrentFormat();
    joined.Bytes().insert(joined.Bytes().end(), stereo.Bytes().begin(), stereo.Bytes().end());
    ASSERT_EQ(SuggestAndConvert(joined), 0u);

    TWaveConverter mono;
    ASSERT_EQ(ConvertFile(monoFile, mono), 0u);
    ASSERT_EQ(SuggestAndConvert(stereo), 0u);
    const std::vector<int16_t> ours = Samples(joined.Bytes());
    const std::vector<int16_t> monoPart = Samples(mono.Bytes());
    const std::vector<int16_t> stereoPart = Samples(stereo.Bytes());
    ASSERT_EQ(ours.size(), 2 * monoPart.size() + stereoPart.size());
    for (std::size_t frame = 0; frame < monoPart.size(); ++frame)
        ASSERT_EQ(ours[2 * frame], ours[2 * frame + 1]) << "mono reaches both channels";
    EXPECT_NE(std::count(ours.begin(), ours.begin() + 2 * monoPart.size(), 0), 2 * monoPart.size());
    EXPECT_TRUE(std::equal(stereoPart.begin(), stereoPart.end(), ours.end() - stereoPart.size()));
}

} // namespace
} // namespace corvath
