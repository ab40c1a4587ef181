// TWaveConverter and the compression manager on WAV files built byte by byte.
#include "audio/model/au_exception.h"
#include "audio/wave/wave_converter.h"
#include "platform/acm/acm.h"
#include "platform/acm/ffmpeg_library.h"
#include "support/riff_bytes.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

namespace corvath {
namespace {

using test::Chunk;
using test::Le16;
using test::Le32;

std::string RiffWave(const std::string& chunks)
{
    return "RIFF" + Le32(static_cast<uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

/// The 16-byte fmt body of a companded coding: A-law (6) or mu-law (7), one byte a sample.
std::string CompandedFmt(uint16_t tag, uint16_t channels = 1, uint32_t rate = 8000)
{
    return Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * channels) + Le16(channels) +
           Le16(8);
}

TMemoryStream StreamOf(const std::string& bytes)
{
    TMemoryStream stream;
    stream.Write(bytes.data(), bytes.size());
    stream.SetPosition(0);
    return stream;
}

std::string Content(const TMemoryStream& stream)
{
    return {stream.Bytes().begin(), stream.Bytes().end()};
}

void Load(TWaveConverter& converter, const std::string& file)
{
    TMemoryStream stream = StreamOf(file);
    converter.LoadWav(stream);
}

uint32_t SuggestAndConvert(TWaveConverter& converter)
{
    converter.NewFormat().SetFormatTag(WaveFormatRecord::kPcmTag);
    if (const uint32_t result = AcmFormatSuggest(converter.CurrentFormat(), converter.NewFormat()))
        return result;
    return converter.Convert();
}

TEST(WaveConverter, SixteenByteFmtGivesARecordWithoutExtraBytes)
{
    TWaveConverter converter;
    Load(converter, RiffWave(Chunk("fmt ", CompandedFmt(6)) + Chunk("data", "abcd")));

    const WaveFormatRecord& format = converter.CurrentFormat();
    EXPECT_EQ(format.FormatTag(), 6);
    EXPECT_EQ(format.Channels(), 1);
    EXPECT_EQ(format.SampleRate(), 8000u);
    EXPECT_EQ(format.BlockAlign(), 1);
    EXPECT_EQ(format.BitsPerSample(), 8);
    EXPECT_EQ(format.ExtraSize(), 0) << "the bytes after the body (\"da\") are not the record's";
    EXPECT_EQ(Content(converter), "abcd");
    EXPECT_EQ(converter.Position(), 0);
    ASSERT_EQ(SuggestAndConvert(converter), 0u);
    EXPECT_EQ(converter.Size(), 8) << "four A-law bytes give four 16-bit samples";
}

TEST(WaveConverter, ChunkIdsAreFoundAtEveryOffsetOutsideRecognisedBodies)
{
    const std::string list = "INFO" + Chunk("data", "fake") + Chunk("fmt ", CompandedFmt(7));
    TWaveConverter fooled;
    Load(fooled,
         RiffWave(Chunk("fmt ", CompandedFmt(6)) + Chunk("data", "real") + Chunk("LIST", list)));
    EXPECT_EQ(Content(fooled), "fake");
    EXPECT_EQ(fooled.CurrentFormat().FormatTag(), 7);

    const std::string samples = "xx" + Chunk("fmt ", CompandedFmt(7)) + "yy";
    TWaveConverter steady;
    Load(steady,
         RiffWave(Chunk("fmt ", CompandedFmt(6)) + Chunk("fact", "data") + Chunk("data", samples)));
    EXPECT_EQ(steady.CurrentFormat().FormatTag(), 6);
    EXPECT_EQ(Content(steady), samples);
}

TEST(WaveConverter, FilesThatAreNotRiffWaveLoadNothingAndFailToConvert)
{
    const std::string body = Chunk("fmt ", CompandedFmt(6)) + Chunk("data", "abcd");
    const std::string riffWave = RiffWave(body);
    for (const std::string& file :
         {std::string(), std::string("RIF"), "RIFX" + riffWave.substr(4),
          "riff" + riffWave.substr(4), "RIFF" + Le32(4) + "AVI " + body, "  " + riffWave}) {
        SCOPED_TRACE(file.substr(0, 12));
        TWaveConverter converter;
        Load(converter, file);
        EXPECT_EQ(converter.Size(), 0);
        EXPECT_EQ(converter.CurrentFormat().FormatTag(), 0);
        EXPECT_EQ(SuggestAndConvert(converter), kAcmNotPossible);
        EXPECT_EQ(converter.Convert(), kAcmNotPossible) << "without a suggested format";
    }
}

TEST(WaveConverter, SizesReachingPastTheFileOrTheRecordAreCut)
{
    const std::string fmt = Chunk("fmt ", CompandedFmt(6));
    TWaveConverter truncated;
    Load(truncated, RiffWave(fmt + "data" + Le32(1000) + "0123456789"));
    EXPECT_EQ(Content(truncated), "0123456789");
    ASSERT_EQ(SuggestAndConvert(truncated), 0u);
    EXPECT_EQ(truncated.Size(), 20);

    // A 4 GiB fmt body runs to the end of the file, swallowing the data chunk.
    TWaveConverter huge;
    Load(huge, RiffWave("fmt " + Le32(0xFFFFFFFF) + CompandedFmt(6) + Chunk("data", "abcd")));
    EXPECT_EQ(huge.CurrentFormat().FormatTag(), 6);
    EXPECT_EQ(huge.CurrentFormat().Bytes()[16], 'd');
    EXPECT_EQ(huge.Size(), 0);
    EXPECT_EQ(SuggestAndConvert(huge), kAcmError);

    std::string longFmt = CompandedFmt(6) + Le16(182);
    while (longFmt.size() < 200)
        longFmt += static_cast<char>(longFmt.size());
    TWaveConverter wide;
    Load(wide, RiffWave(Chunk("fmt ", longFmt) + Chunk("data", "abcd")));
    EXPECT_EQ(wide.CurrentFormat().Bytes()[128], 128);
    EXPECT_EQ(wide.CurrentFormat().Extra().size(),
              WaveFormatRecord::kCapacity - WaveFormatRecord::kHeaderSize);
    EXPECT_EQ(Content(wide), "abcd");
}

TEST(WaveConverter, RandomBytesStayInsideTheirBuffers)
{
    ShowMediaLibraryLog(false); // FFmpeg would report every packet of noise it rejects
    std::mt19937 random(20240607);
    const std::string ids[] = {"fmt ", "data", "fact"};
    for (int round = 0; round < 50; ++round) {
        std::string noise(1 + random() % 4096, '\0');
        for (char& c : noise)
            c = static_cast<char>(random());
        // Planted chunk ids with sizes near the end of the file meet bodies of every length.
        for (int plant = 0; plant < 8; ++plant)
            noise.replace(random() % noise.size(), 8, ids[random() % 3] + Le32(random() % 8192));
        if (round % 2 == 0)
            noise = Chunk("fmt ", CompandedFmt(round % 4 == 0 ? 0x55 : 0x02, 2, 44100)) + noise;
        TWaveConverter converter;
        Load(converter, round % 5 == 0 ? noise : RiffWave(noise));
        EXPECT_LE(converter.Size(), static_cast<int64_t>(noise.size()));
        if (SuggestAndConvert(converter) == 0) {
            EXPECT_EQ(converter.Size() % 4, 0);
        }
    }
    ShowMediaLibraryLog(true);
}

/// A target that refuses every write, like a full disk.
class RefusingStream : public TMemoryStream {
public:
    void Write(const void*, std::size_t) override { throw EAuException("Disk full"); }
};

TEST(WaveConverter, SaveWavReportsARefusedWrite)
{
    TWaveConverter converter;
    RefusingStream target;
    EXPECT_FALSE(converter.SaveWav(target));
}

TEST(AcmFormatSuggest, OffersPcmForWhatItDecodesAndNothingElse)
{
    WaveFormatRecord mp3;
    mp3.SetFormatTag(0x0055);
    mp3.SetChannels(2);
    mp3.SetSampleRate(44100);
    WaveFormatRecord pcm;
    pcm.SetFormatTag(WaveFormatRecord::kPcmTag);
    ASSERT_EQ(AcmFormatSuggest(mp3, pcm), 0u);
    EXPECT_EQ(pcm.BlockAlign(), 4);
    EXPECT_EQ(pcm.AvgBytesPerSec(), 176400u);

    WaveFormatRecord unknown = mp3;
    unknown.SetFormatTag(0x1234);
    WaveFormatRecord silent = mp3;
    silent.SetChannels(0);
    for (const WaveFormatRecord& source : {unknown, silent}) {
        WaveFormatRecord target;
        target.SetFormatTag(WaveFormatRecord::kPcmTag);
        EXPECT_EQ(AcmFormatSuggest(source, target), kAcmNotPossible);
        EXPECT_EQ(target.SampleRate(), 0u) << "a refused suggestion leaves the target alone";
    }
    WaveFormatRecord adpcm;
    adpcm.SetFormatTag(0x0002);
    EXPECT_EQ(AcmFormatSuggest(mp3, adpcm), kAcmNotPossible) << "only PCM is offered";
}

} // namespace
} // namespace corvath
