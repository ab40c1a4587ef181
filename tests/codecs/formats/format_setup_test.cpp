#include "codecs/ape/ape_format.h"
#include "codecs/flac/flac_format.h"
#include "codecs/idle_sleep.h"
#include "codecs/mp3/mp3_format.h"
#include "codecs/startup_libraries.h"
#include "codecs/vorbis/ogg_format.h"
#include "codecs/wma/wma_format.h"
#include "support/fake_components.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

class EncoderSetupTest : public test::MainThreadFixture {
protected:
    StartupCodecLibraries libraries_;
    CodecOptions options_;
};

TEST_F(EncoderSetupTest, Mp3TakesTheSettingsItKnows)
{
    auto out = MakeComponent<TMP3Out>();
    options_.Mp3Options.CPU = 2;
    options_.Mp3Options.ConstantBitRate = 192;
    options_.Mp3Options.StereoMode = 3;
    options_.Mp3Options.VBRQuality = 7;
    SetupMP3Out(*out, options_.Mp3Options);
    EXPECT_EQ(out->IdleSleepMs(), 6);
    EXPECT_EQ(out->BitRate(), br192);
    EXPECT_EQ(out->Mode(), MONO);
    EXPECT_EQ(out->VBRQuality(), ql7);

    // A rate the list lacks leaves the bit rate as it was; a quality out of range likewise.
    options_.Mp3Options.ConstantBitRate = 160;
    options_.Mp3Options.VBRQuality = 12;
    options_.Mp3Options.CPU = 3;
    SetupMP3Out(*out, options_.Mp3Options);
    EXPECT_EQ(out->BitRate(), br192);
    EXPECT_EQ(out->VBRQuality(), ql7);
    EXPECT_EQ(out->IdleSleepMs(), 1);
}

TEST_F(EncoderSetupTest, VorbisQualityOrBitRatesAndTheTrack)
{
    auto out = MakeComponent<TVorbisOut>();
    options_.OggOptions.IsUseCompress = true;
    options_.OggOptions.CompressPosition = 75;
    TrackRecord track;
    track.title = "Intro";
    track.genre = "Rock";
    track.comment = "First take";
    SetupVorbisOut(*out, options_.OggOptions, track);
    EXPECT_FLOAT_EQ(out->Compression(), 0.65f);
    EXPECT_EQ(out->DesiredNominalBitrate(), TVorbisBitRate::brAutoSelect);
    EXPECT_EQ(out->Comments().Artist(), "");
    EXPECT_EQ(out->Comments().Genre(), "Rock");
    EXPECT_EQ(out->Comments().Title(), "Intro");
    EXPECT_EQ(out->Comments().AsString("comment"), "First take");

    options_.OggOptions.IsUseCompress = false;
    options_.OggOptions.MaxBitRate = 0;
    options_.OggOptions.NomalBitRate = -1; // nothing chosen counts as automatic
    options_.OggOptions.MinBitRate = 0;
    track.genre.clear();
    SetupVorbisOut(*out, options_.OggOptions, track);
    EXPECT_FLOAT_EQ(out->Compression(), 0.2f);
    EXPECT_EQ(out->DesiredMaximumBitrate(), TVorbisBitRate::brAutoSelect);
    EXPECT_EQ(out->MinimumBitrate(), TVorbisBitRate::brAutoSelect);
    EXPECT_EQ(out->Comments().Genre(), "");
}

TEST_F(EncoderSetupTest, FlacTakesItsLevelAndTheSameTags)
{
    auto out = MakeComponent<TFLACOut>();
    options_.FLACOptions.Compression = 7;
    TrackRecord track;
    track.artist = "Ana";
    SetupFLACOut(*out, options_.FLACOptions, track);
    EXPECT_EQ(out->CompressionLevel(), 7);
    EXPECT_EQ(out->Tags().Artist(), "Ana");
    EXPECT_EQ(out->Tags().Date(), "");
}

TEST_F(EncoderSetupTest, ApeTakesItsLevelAndProcessorUse)
{
    auto out = MakeComponent<TMACOut>();
    options_.APEOptions.CPU = 2;
    options_.APEOptions.Compression = 4000;
    SetupMACOut(*out, options_.APEOptions);
    EXPECT_EQ(out->IdleSleepMs(), 6);
    EXPECT_EQ(out->CompressionLevel(), 4000);

    // The options dialog offers levels in steps of 500; the library knows only the thousands.
    options_.APEOptions.CPU = 1;
    options_.APEOptions.Compression = 2500;
    SetupMACOut(*out, options_.APEOptions);
    EXPECT_EQ(out->IdleSleepMs(), 11);
    EXPECT_EQ(out->CompressionLevel(), 2000);

    // Numbers no dialog offers: the worker does not pause, or the output keeps its pause.
    options_.APEOptions.CPU = INT32_MAX;
    SetupMACOut(*out, options_.APEOptions);
    EXPECT_LE(out->IdleSleepMs(), 11);
    options_.APEOptions.CPU = INT32_MIN;
    SetupMACOut(*out, options_.APEOptions);
    EXPECT_LE(out->IdleSleepMs(), 11);
    EXPECT_EQ(IdleSleepForCpu(INT32_MAX), INT32_MIN);
    EXPECT_EQ(IdleSleepForCpu(INT32_MIN), INT32_MAX);
}

TEST_F(EncoderSetupTest, WmaTakesItsPositionsAndLeavesTheTagsToTheFinishedFile)
{
    auto out = MakeComponent<TWMAOut>();
    out->Id3v2Tags().SetTitle("From the source file"); // replaced, not kept
    out->SetDesiredBitrate(192);
    options_.WMAOptions = {0, 12, false};
    SetupWMAOut(*out, options_.WMAOptions);
    EXPECT_EQ(out->CodecIndex(), 0);
    EXPECT_EQ(out->FormatIndex(), 12);
    EXPECT_FALSE(out->VBR());
    EXPECT_EQ(out->DesiredBitrate(), 192u);
    EXPECT_TRUE(out->Id3v2Tags().Empty());
}

// Positions the lists lack are refused at once, naming the setting to change.
TEST_F(EncoderSetupTest, WmaPositionsOutOfRangeNameTheirSetting)
{
    auto out = MakeComponent<TWMAOut>();
    ASSERT_FALSE(out->Codecs().empty());
    const std::string codec = out->Codecs()[0];
    const auto formats = static_cast<int32_t>(out->Formats(0).size());
    const auto codecs = static_cast<int32_t>(out->Codecs().size());
    struct Case {
        TWMAOptions options;
        std::string failure;
    };
    const Case cases[] = {
        {{0, formats, false},
         "The setting WMAOptions/FormatIndex is " + std::to_string(formats) +
             ", but the formats of " + codec + " are numbers 0 to " + std::to_string(formats - 1) +
             "."},
        {{0, -2, false},
         "The setting WMAOptions/FormatIndex is -2, but the formats of " + codec +
             " are numbers 0 to " + std::to_string(formats - 1) + "."},
        {{codecs, 0, false},
         "The setting WMAOptions/CodecIndex is " + std::to_string(codecs) +
             ", but the WMA codecs are only number 0."},
        {{0, 0, true},
         "The WMA codec " + codec +
             " has no variable-bit-rate formats: turn the setting WMAOptions/VBR "
             "off."},
    };
    ASSERT_EQ(codecs, 1) << "the codec case expects one codec";
    for (const Case& c : cases) {
        try {
            SetupWMAOut(*out, c.options);
            ADD_FAILURE() << c.failure << " was not said";
        } catch (const std::exception& failure) {
            EXPECT_EQ(failure.what(), c.failure);
        }
    }
    SetupWMAOut(*out, {-1, 999, true}); // a search takes no position
}

} // namespace
} // namespace corvath
