#include "audio/model/event_handler.h"
#include "audio/wave/wave_in.h"
#include "codecs/vorbis/vorbis_libraries.h"
#include "codecs/vorbis/vorbis_out.h"
#include "platform/bytes/little_endian.h"
#include "support/audio_tools.h"
#include "support/file_size_limit.h"
#include "support/run_command.h"
#include "support/stopped_output.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <optional>

namespace corvath {
namespace {

using enum TVorbisBitRate;
using test::FakeSource;
using test::HaveTool;
using test::ReadFile;
using test::RunCommand;

constexpr uint8_t kFirstPage = 2;
constexpr uint8_t kLastPage = 4;

struct OggPage {
    uint8_t flags = 0;
    uint32_t serial = 0;
};

// The pages of an Ogg file, up to the first bytes that are not a page.
std::vector<OggPage> OggPages(const std::string& file)
{
    std::vector<OggPage> pages;
    const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
    for (std::size_t at = 0; at + 27 <= file.size() && file.compare(at, 4, "OggS") == 0;) {
        const std::size_t segments = bytes[at + 26];
        std::size_t body = 0;
        for (std::size_t i = 0; i < segments && at + 27 + i < file.size(); ++i)
            body += bytes[at + 27 + i];
        pages.push_back({bytes[at + 5], ReadLe32(bytes + at + 14)});
        at += 27 + segments + body;
    }
    return pages;
}

int CountFlag(const std::vector<OggPage>& pages, uint8_t flag)
{
    return static_cast<int>(
        std::count_if(pages.begin(), pages.end(), [&](auto& page) { return page.flags & flag; }));
}

// Bit-rate field 0 (maximum), 1 (nominal) or 2 (minimum) of the identification header, which
// fills the file's first page.
int32_t HeaderBitrate(const std::string& file, std::size_t field)
{
    return static_cast<int32_t>(
        ReadLe32(reinterpret_cast<const uint8_t*>(file.data()) + 44 + 4 * field));
}

// Points a binding at a file that does not exist while it lives.
template <typename Api> class MissingLibrary {
public:
    explicit MissingLibrary(CodecLibrary<Api>& library)
        : library_(library), name_(library.FileName())
    {
        library_.Unload();
        library_.SetFileName("missing-" + name_);
        library_.Load();
    }
    ~MissingLibrary()
    {
        library_.SetFileName(name_);
        library_.Load();
    }

private:
    CodecLibrary<Api>& library_;
    const std::string name_;
};

class VorbisOutTest : public test::AudioRunFixture {
protected:
    void SetUp() override
    {
        AudioRunFixture::SetUp();
        ASSERT_TRUE(OggLibrary().Load() && VorbisLibrary().Load() && VorbisFileLibrary().Load() &&
                    VorbisEncLibrary().Load());
        fake_ = MakeComponent<FakeSource>();
        fake_->total = 44100 * 4; // one second
        out_ = MakeComponent<TVorbisOut>();
        out_->SetFileName(file_.string());
    }
    void TearDown() override
    {
        out_.reset();
        wave_.reset();
        fake_.reset();
        AudioRunFixture::TearDown();
    }

    std::string Encode(TAuInput& input)
    {
        out_->SetInput(&input);
        return Run(*out_);
    }

    Owned<FakeSource> fake_;
    Owned<TWaveIn> wave_;
    Owned<TVorbisOut> out_;
    const std::filesystem::path file_ = dir_ / "out.ogg";
};

TEST_F(VorbisOutTest, BitRateSettersKeepTheirOrder)
{
    out_->SetDesiredMaximumBitrate(br192);
    out_->SetMinimumBitrate(br64);
    EXPECT_EQ(out_->DesiredMaximumBitrate(), brAutoSelect) << "no bounds in quality mode";
    EXPECT_EQ(out_->MinimumBitrate(), brAutoSelect);

    out_->SetDesiredNominalBitrate(br128);
    EXPECT_EQ(out_->DesiredMaximumBitrate(), br128) << "the maximum is pulled up to the nominal";
    out_->SetDesiredMaximumBitrate(br96);
    EXPECT_EQ(out_->DesiredMaximumBitrate(), br128);
    out_->SetDesiredMaximumBitrate(brAutoSelect);
    EXPECT_EQ(out_->DesiredMaximumBitrate(), brAutoSelect);
    out_->SetMinimumBitrate(br160);
    out_->SetMinimumBitrate(br96);
    EXPECT_EQ(out_->MinimumBitrate(), br96);

    out_->SetDesiredNominalBitrate(br64);
    EXPECT_EQ(out_->MinimumBitrate(), br64);
    out_->SetDesiredNominalBitrate(static_cast<TVorbisBitRate>(18));
    EXPECT_EQ(out_->DesiredNominalBitrate(), br64) << "unknown rates are ignored";
    out_->SetDesiredNominalBitrate(brAutoSelect);
    EXPECT_EQ(out_->MinimumBitrate(), brAutoSelect);
    EXPECT_EQ(out_->DesiredMaximumBitrate(), brAutoSelect);
}

// Every sample size decodes to the input's length and sound.
class VorbisRoundTrip : public VorbisOutTest,
                        public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(VorbisRoundTrip, DecodesToTheInput)
{
    if (!HaveTool("sox") || !HaveTool("ffmpeg"))
        GTEST_SKIP() << "needs sox and ffmpeg";
    const auto [bits, channels] = GetParam();
    const auto wav = dir_ / "in.wav";
    RunCommand("sox -n -b " + std::to_string(bits) + " -c " + std::to_string(channels) +
               " -r 44100 '" + wav.string() + "' synth 2 sine 440 vol 0.5");
    wave_ = MakeComponent<TWaveIn>();
    wave_->SetFileName(wav.string());
    ASSERT_EQ(Encode(*wave_), "");

    const std::vector<int16_t> input = test::SoxDecode(wav);
    const std::vector<int16_t> decoded = test::FfmpegDecode(file_);
    ASSERT_EQ(input.size(), 2u * 44100 * channels);
    ASSERT_EQ(decoded.size(), input.size());
    double signal = 0;
    double noise = 0;
    for (std::size_t i = 0; i < input.size(); ++i) {
        signal += double(input[i]) * input[i];
        noise += (double(decoded[i]) - input[i]) * (double(decoded[i]) - input[i]);
    }
    EXPECT_GT(10 * std::log10(signal / noise), 20.0) << "decoded sound is not the input's";
}

INSTANTIATE_TEST_SUITE_P(SampleSizes, VorbisRoundTrip,
                         ::testing::Values(std::pair{8, 1}, std::pair{16, 2}, std::pair{24, 2}));

TEST_F(VorbisOutTest, WritesTheCommentsThatHaveValuesOnStreamZero)
{
    if (!HaveTool("vorbiscomment"))
        GTEST_SKIP() << "needs vorbiscomment";
    out_->Comments().SetTitle("Caf\xC3\xA9 du Nord");
    out_->Comments().SetArtist("Ana");
    out_->Comments().SetTrack("7");
    out_->Comments().SetAlbum("");
    ASSERT_EQ(Encode(*fake_), "");

    EXPECT_EQ(RunCommand("vorbiscomment -l '" + file_.string() + "'"),
              "TITLE=Caf\xC3\xA9 du Nord\nARTIST=Ana\nTRACKNUMBER=7\n");
    EXPECT_EQ(out_->Comments().Title(), "") << "comments belong to one file";
    const auto pages = OggPages(ReadFile(file_));
    ASSERT_GE(pages.size(), 3u);
    EXPECT_TRUE(
        std::all_of(pages.begin(), pages.end(), [](auto& page) { return page.serial == 0; }));
}

TEST_F(VorbisOutTest, QualityAndBitRateModesReachTheEncoder)
{
    out_->SetCompression(0.0f);
    ASSERT_EQ(Encode(*fake_), "");
    const std::string low = ReadFile(file_);
    out_->SetCompression(0.9f);
    ASSERT_EQ(Encode(*fake_), "");
    const std::string high = ReadFile(file_);
    EXPECT_LT(HeaderBitrate(low, 1), HeaderBitrate(high, 1));
    EXPECT_LT(low.size(), high.size());

    out_->SetDesiredNominalBitrate(br128);
    out_->SetDesiredMaximumBitrate(brAutoSelect);
    ASSERT_EQ(Encode(*fake_), "");
    const std::string managed = ReadFile(file_);
    EXPECT_EQ(HeaderBitrate(managed, 0), -1);
    EXPECT_EQ(HeaderBitrate(managed, 1), 128000);
    EXPECT_EQ(HeaderBitrate(managed, 2), 128000) << "no minimum means the nominal rate";
}

TEST_F(VorbisOutTest, SetUpsTheEncoderRefusesAreReported)
{
    out_->SetDesiredNominalBitrate(br24);
    EXPECT_EQ(Encode(*fake_),
              "Vorbis codec setup with the requested bitrate failed. Try a lower bitrate.");
    out_->SetDesiredNominalBitrate(brAutoSelect);
    out_->SetCompression(-1.0f);
    EXPECT_EQ(Encode(*fake_), "Vorbis codec setup with the requested quality failed.");
    out_->SetCompression(0.2f);
    EXPECT_EQ(Encode(*fake_), "") << "a failed set-up leaves nothing behind";
}

TEST_F(VorbisOutTest, AppendingAddsASecondCompleteStream)
{
    if (!HaveTool("oggdec") || !HaveTool("ogginfo"))
        GTEST_SKIP() << "needs oggdec and ogginfo";
    out_->SetFileMode(foAppend);
    ASSERT_EQ(Encode(*fake_), "") << "appending to no file writes a new one";
    const std::string first = ReadFile(file_);
    ASSERT_EQ(Encode(*fake_), "");

    const std::string both = ReadFile(file_);
    ASSERT_EQ(both.compare(0, first.size(), first), 0) << "the old content stays in front";
    const auto pages = OggPages(both);
    EXPECT_EQ(CountFlag(pages, kFirstPage), 2);
    EXPECT_EQ(CountFlag(pages, kLastPage), 2);
    EXPECT_EQ(pages.back().serial, 1u) << "chained streams need serial numbers of their own";
    EXPECT_EQ(RunCommand("ogginfo '" + file_.string() + "' | grep -ci -e warning -e error"), "0\n");
    // Decoded link by link: this libvorbisfile starts a chained file at its last link.
    test::WriteFile(dir_ / "first.ogg", first);
    test::WriteFile(dir_ / "second.ogg", both.substr(first.size()));
    for (const char* link : {"first.ogg", "second.ogg"}) {
        const auto raw = dir_ / "link.raw";
        RunCommand("oggdec -Q -R -o '" + raw.string() + "' '" + (dir_ / link).string() + "'");
        EXPECT_EQ(std::filesystem::file_size(raw), 44100u * 4) << link;
    }
}

TEST_F(VorbisOutTest, AnEmptyInputGivesAValidEmptyStream)
{
    if (!HaveTool("ffmpeg") || !HaveTool("ffprobe"))
        GTEST_SKIP() << "needs ffmpeg and ffprobe";
    fake_->total = 0;
    ASSERT_EQ(Encode(*fake_), "");
    const auto pages = OggPages(ReadFile(file_));
    ASSERT_GE(pages.size(), 2u);
    EXPECT_EQ(pages.back().flags & kLastPage, kLastPage);
    EXPECT_EQ(RunCommand("ffprobe -v error -show_entries stream=codec_name -of csv=p=0 '" +
                         file_.string() + "'"),
              "vorbis\n");
    EXPECT_TRUE(test::FfmpegDecode(file_).empty());
}

TEST_F(VorbisOutTest, UnsupportedInputIsRefusedBeforeTheFileIsCreated)
{
    fake_->bits = 32;
    EXPECT_EQ(Encode(*fake_), "Ogg Vorbis output takes 8, 16 or 24-bit samples, not 32-bit.");
    fake_->bits = 16;
    fake_->channels = 0;
    EXPECT_EQ(Encode(*fake_), "The input holds no sound that an Ogg Vorbis file can take.");
    EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(VorbisOutTest, AFullDiskFailsTheRunAndTheNextRunWorks)
{
    fake_->total = 44100 * 4 * 10;
    {
        test::FileSizeLimit limit(20000);
        EXPECT_EQ(Encode(*fake_), "Cannot write file " + file_.string() + ": File too large");
    }
    EXPECT_EQ(Encode(*fake_), "");
    EXPECT_EQ(CountFlag(OggPages(ReadFile(file_)), kLastPage), 1);
}

TEST_F(VorbisOutTest, AStoppedRunEndsItsStream)
{
    fake_->total = 44100 * 4 * 60;
    fake_->delay = std::chrono::milliseconds(1);
    out_->SetInput(fake_.get());
    out_->Start();
    ASSERT_TRUE(PumpUntil([&] { return fake_->Position() > 0; }));
    out_->StopOutput(false);

    ASSERT_TRUE(test::TakeStoppedFile(file_));
    const auto pages = OggPages(ReadFile(file_));
    ASSERT_FALSE(pages.empty());
    EXPECT_EQ(pages.back().flags & kLastPage, kLastPage);
}

TEST_F(VorbisOutTest, AMissingLibraryIsNamedInLoadingOrder)
{
    const auto constructionError = [] {
        try {
            MakeComponent<TVorbisOut>();
            return std::string();
        } catch (const EAuException& error) {
            return std::string(error.what());
        }
    };
    EXPECT_EQ(OggLibrary().NotLoadedMessage(), "libogg.so.0 library could not be loaded.");
    std::optional<MissingLibrary<VorbisEncApi>> enc(std::in_place, VorbisEncLibrary());
    std::optional<MissingLibrary<VorbisApi>> vorbis(std::in_place, VorbisLibrary());
    const int32_t sinks = TEventHandler::OutputCount();
    EXPECT_EQ(constructionError(), "missing-libvorbis.so.0 library could not be loaded.");
    EXPECT_EQ(TEventHandler::OutputCount(), sinks) << "the refused output left nothing behind";
    vorbis.reset();
    EXPECT_EQ(constructionError(), "missing-libvorbisenc.so.2 library could not be loaded.");
    enc.reset();
    EXPECT_EQ(constructionError(), "");
}

} // namespace
} // namespace corvath
