#include "audio/wave/wave_in.h"
#include "codecs/wma/wma_out.h"
#include "platform/media/wma_formats.h"
#include "support/audio_tools.h"
#include "support/file_size_limit.h"
#include "support/run_command.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>

namespace corvath {
namespace {

using std::filesystem::path;
using test::Quoted;
using test::RunCommand;

constexpr int32_t kDefaultFormat = 29;
constexpr const char* kCdFormat = "-b 16 -c 2 -r 44100";
constexpr const char* kSine = "sine 440 vol 0.5";

// What ffprobe says of the file: the stream's codec, rate, channels and bit rate, the
// duration, and every tag as "TAG:<key>".
std::map<std::string, std::string> Probe(const path& file)
{
    std::istringstream lines(
        RunCommand("ffprobe -v error -show_entries "
                   "stream=codec_name,sample_rate,channels,bit_rate:format=duration:format_tags "
                   "-of default=nw=1 " +
                   Quoted(file)));
    std::map<std::string, std::string> entries;
    for (std::string line; std::getline(lines, line);) {
        const auto equals = line.find('=');
        if (equals != std::string::npos)
            entries[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return entries;
}

std::map<std::string, std::string> Tags(const std::map<std::string, std::string>& probe)
{
    std::map<std::string, std::string> tags;
    for (const auto& [key, value] : probe) {
        if (key.starts_with("TAG:"))
            tags[key.substr(4)] = value;
    }
    return tags;
}

// Sign changes of the first channel from 0.25 s to 1.75 s: 3 times a sine's frequency. The
// ends are left out, where the codec's noise around silence crosses zero too.
int ZeroCrossingsOfTheMiddle(const std::vector<int16_t>& samples, std::size_t channels,
                             std::size_t rate)
{
    int crossings = 0;
    const std::size_t end = std::min(samples.size(), rate * 7 / 4 * channels);
    for (std::size_t i = rate / 4 * channels + channels; i < end; i += channels)
        crossings += (samples[i - channels] < 0) != (samples[i] < 0);
    return crossings;
}

int32_t FormatIndexOf(const std::string& description)
{
    const auto formats = WmaFormats();
    const auto found = std::ranges::find(formats, description, &WmaFormat::Description);
    return found == formats.end() ? -1 : static_cast<int32_t>(found - formats.begin());
}

class WmaOutTest : public test::AudioRunFixture {
protected:
    void SetUp() override
    {
        AudioRunFixture::SetUp();
        if (!test::HaveTool("ffprobe") || !test::HaveTool("ffmpeg") || !test::HaveTool("sox"))
            GTEST_SKIP() << "ffmpeg, ffprobe and sox are needed to make and check the files";
        out_ = MakeComponent<TWMAOut>();
        in_ = MakeComponent<TWaveIn>();
        out_->SetInput(in_.get());
        out_->SetFileName(file_.string());
    }
    void TearDown() override
    {
        out_.reset();
        in_.reset();
        AudioRunFixture::TearDown();
    }

    std::string Encode(const path& wav)
    {
        in_->SetFileName(wav.string());
        return Run(*out_);
    }

    void ExpectStream(const std::map<std::string, std::string>& probe, const WmaFormat& format,
                      double seconds)
    {
        EXPECT_EQ(probe.at("codec_name"), "wmav2");
        EXPECT_EQ(probe.at("sample_rate"), std::to_string(format.sampleRate));
        EXPECT_EQ(probe.at("channels"), std::to_string(format.channels));
        EXPECT_EQ(probe.at("bit_rate"), std::to_string(format.bitrate));
        EXPECT_NEAR(std::stod(probe.at("duration")), seconds, 0.1);
        // Every sample, after conversion to the format's rate, and silence to the end of the
        // codec's last frame (2048 samples at most).
        const std::size_t frames = test::FfmpegDecode(file_).size() / format.channels;
        const auto sent = static_cast<std::size_t>(seconds * format.sampleRate);
        EXPECT_GE(frames, sent);
        EXPECT_LT(frames, sent + 2048);
        // The packets themselves, not only the header, carry the format's bit rate.
        const std::string sizes =
            RunCommand("ffprobe -v error -show_entries packet=size -of csv=p=0 " + Quoted(file_));
        std::istringstream lines(sizes);
        double bytes = 0;
        for (std::string line; std::getline(lines, line);)
            bytes += std::stod(line);
        EXPECT_NEAR(bytes * 8 / seconds, format.bitrate, format.bitrate * 0.1);
    }

    path file_ = dir_ / "out.wma";
    Owned<TWMAOut> out_;
    Owned<TWaveIn> in_;
};

TEST_F(WmaOutTest, CodecZeroListsItsConstantBitRateFormatsFromTheHighestDown)
{
    ASSERT_EQ(out_->Codecs().size(), 1u);
    const std::vector<std::string> formats = out_->Formats(0);
    ASSERT_EQ(formats.size(), WmaFormats().size());
    EXPECT_EQ(formats[kDefaultFormat], "128 kbps, 44 kHz, stereo CBR");
    const WmaFormat& standard = WmaFormats()[kDefaultFormat];
    EXPECT_EQ(standard.bitrate, 128000u);
    EXPECT_EQ(standard.sampleRate, 44100u);
    EXPECT_EQ(standard.channels, 2);
    EXPECT_EQ(formats.front(), "320 kbps, 48 kHz, stereo CBR");

    // Down the bit rates; within one, stereo first, then the higher rate.
    const auto order = [](const WmaFormat& a, const WmaFormat& b) {
        return std::tuple(b.bitrate, b.channels, b.sampleRate) <
               std::tuple(a.bitrate, a.channels, a.sampleRate);
    };
    EXPECT_TRUE(std::ranges::is_sorted(WmaFormats(), order));
    EXPECT_EQ(std::ranges::adjacent_find(WmaFormats(), std::not_fn(order)), WmaFormats().end());
    for (const WmaFormat& format : WmaFormats()) { // what the encoder takes
        EXPECT_GE(format.bitrate, 24000u);
        EXPECT_LE(format.sampleRate, 48000u);
    }

    EXPECT_TRUE(out_->Formats(static_cast<int32_t>(out_->Codecs().size())).empty());
    EXPECT_TRUE(out_->Formats(-1).empty());
    out_->SetVBR(true); // the encoder has no variable-bit-rate or lossless formats
    EXPECT_TRUE(out_->Formats(0).empty());
    out_->SetVBR(false);
    out_->SetLossless(true);
    EXPECT_TRUE(out_->Formats(0).empty());
}

TEST_F(WmaOutTest, DefaultFormatPlaysWithEveryTagSet)
{
    out_->SetCodecIndex(0);
    out_->SetFormatIndex(kDefaultFormat);
    TId3v2Tags& tags = out_->Id3v2Tags();
    tags.SetTitle("Sång om hösten");
    tags.SetArtist("Ane Brun");
    tags.SetAlbum("Spending Time");
    tags.SetGenre("Folk");
    tags.SetYear("2003");
    tags.SetTrack("7");
    tags.SetComment("First take");
    ASSERT_EQ(Encode(test::Sox(dir_ / "in.wav", kCdFormat, "3", kSine)), "");

    const auto probe = Probe(file_);
    ExpectStream(probe, WmaFormats()[kDefaultFormat], 3.0);
    const std::map<std::string, std::string> expected{
        {"title", "Sång om hösten"}, {"artist", "Ane Brun"}, {"album", "Spending Time"},
        {"genre", "Folk"},           {"WM/Year", "2003"},    {"WM/Track", "7"},
        {"copyright", "First take"},
    };
    EXPECT_EQ(Tags(probe), expected);
}

TEST_F(WmaOutTest, OtherSampleSizesRatesAndChannelsAreConvertedToTheFormat)
{
    out_->SetCodecIndex(0);
    out_->Id3v2Tags().SetTitle("Only this");
    out_->Id3v2Tags().SetComment("and this");
    struct Case {
        uint32_t bits, channels, rate;
        std::string format;
    };
    for (const Case& c : {Case{24, 1, 48000, "32 kbps, 22 kHz, mono CBR"},
                          Case{8, 2, 11025, "96 kbps, 48 kHz, stereo CBR"}}) {
        SCOPED_TRACE(c.format);
        const int32_t index = FormatIndexOf(c.format);
        ASSERT_GE(index, 0);
        out_->SetFormatIndex(index);
        const std::string soxFormat = "-b " + std::to_string(c.bits) + " -c " +
                                      std::to_string(c.channels) + " -r " + std::to_string(c.rate);
        ASSERT_EQ(Encode(test::Sox(dir_ / "in.wav", soxFormat, "2", kSine)), "");
        const auto probe = Probe(file_);
        const WmaFormat& format = WmaFormats()[static_cast<std::size_t>(index)];
        ExpectStream(probe, format, 2.0);
        EXPECT_EQ(Tags(probe), (std::map<std::string, std::string>{{"title", "Only this"},
                                                                   {"copyright", "and this"}}));
        // The sine comes out at its pitch: neither noise from a misread sample size nor a
        // changed speed.
        const std::vector<int16_t> decoded = test::FfmpegDecode(file_);
        EXPECT_NEAR(ZeroCrossingsOfTheMiddle(decoded, format.channels, format.sampleRate), 3 * 440,
                    10);
    }
}

TEST_F(WmaOutTest, SearchWithoutCodecTakesTheWantedBitRateOrFails)
{
    const path wav = test::Sox(dir_ / "in.wav", kCdFormat, "1", kSine);
    out_->SetDesiredBitrate(256); // kbit/s
    ASSERT_EQ(Encode(wav), "");
    EXPECT_EQ(Probe(file_).at("bit_rate"), "256000");
    out_->SetDesiredBitrate(64000);
    ASSERT_EQ(Encode(wav), "");
    EXPECT_EQ(Probe(file_).at("bit_rate"), "64000");

    // Every format is 16-bit: a constant-bit-rate search for 24-bit sound finds none.
    EXPECT_EQ(Encode(test::Sox(dir_ / "in24.wav", "-b 24 -c 2 -r 44100", "1", kSine)),
              "Failed to init codec");
    // Nor are there variable-bit-rate formats, whether searched or chosen.
    out_->SetVBR(true);
    EXPECT_EQ(Encode(wav), "Failed to init codec");
    out_->SetCodecIndex(0);
    EXPECT_EQ(Encode(wav), "Failed to init codec");
    out_->SetVBR(false);
    out_->SetFormatIndex(static_cast<int32_t>(WmaFormats().size()));
    EXPECT_EQ(Encode(wav), "Failed to init codec");
    out_->SetCodecIndex(1);
    out_->SetFormatIndex(0);
    EXPECT_EQ(Encode(wav), "Failed to init codec");
}

TEST_F(WmaOutTest, FilesThatCannotBeWrittenFailTheRun)
{
    out_->SetCodecIndex(0);
    out_->SetFormatIndex(kDefaultFormat);
    const path wav = test::Sox(dir_ / "in.wav", kCdFormat, "4", kSine);
    const path nowhere = dir_ / "missing" / "out.wma";
    out_->SetFileName(nowhere.string());
    EXPECT_EQ(Encode(wav),
              "Cannot create file " + nowhere.string() + ": No such file or directory");

    out_->SetFileName(file_.string());
    {
        const test::FileSizeLimit limit(20 * 1024); // the file wants some 64 KiB
        EXPECT_EQ(Encode(wav), "Cannot write file " + file_.string() + ": File too large");
        EXPECT_FALSE(std::filesystem::exists(file_)) << "a half-written file is removed";
    }
    EXPECT_FALSE(out_->IsBusy());
    ASSERT_EQ(Encode(wav), "");
    EXPECT_NEAR(std::stod(Probe(file_).at("duration")), 4.0, 0.1);
}

} // namespace
} // namespace corvath
