// TAudioConverter on in-memory sources: announced sizes, pass-through and sample values.
#include "audio/filters/audio_converter.h"
#include "audio/model/au_exception.h"
#include "support/fake_components.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace corvath {
namespace {

/// A source of the given bytes, handed out in pieces of at most chunkBytes.
class BytesSource : public TAuInput {
public:
    using TAuInput::TAuInput;

    std::vector<uint8_t> bytes;
    uint32_t bits = 16;
    uint32_t channels = 2;
    uint32_t chunkBytes = 4096;

    uint32_t GetBitsPerSample() override { return bits; }
    uint32_t GetChannels() override { return channels; }
    uint32_t GetSampleRate() override { return 44100; }

protected:
    void OpenSource() override
    {
        busy_ = true;
        position_ = 0;
        size_ = static_cast<int64_t>(bytes.size());
    }
    void CloseSource() override { busy_ = false; }
    AudioChunk ReadChunk(uint32_t wanted) override
    {
        const auto left = static_cast<uint32_t>(bytes.size() - position_);
        const uint32_t n = std::min({wanted, chunkBytes, left});
        // A copy, since the converter may work in the buffer it is given.
        piece_.assign(bytes.begin() + position_, bytes.begin() + position_ + n);
        position_ += n;
        return {piece_.data(), n};
    }

private:
    std::vector<uint8_t> piece_;
};

/// Everything the converter delivers in one run, read in pieces of the given size.
std::vector<uint8_t> Drain(TAudioConverter& converter, uint32_t piece = 1000)
{
    std::vector<uint8_t> out;
    converter.BeginRead();
    for (;;) {
        const AudioChunk chunk = converter.ReadData(piece);
        if (chunk.data == nullptr || chunk.bytes == 0)
            break;
        out.insert(out.end(), chunk.data, chunk.data + chunk.bytes);
    }
    converter.EndRead();
    return out;
}

std::vector<uint8_t> Le(const std::vector<int32_t>& samples, uint32_t bytes)
{
    std::vector<uint8_t> out;
    for (const int32_t s : samples)
        for (uint32_t i = 0; i < bytes; ++i)
            out.push_back(static_cast<uint8_t>(s >> (8 * i)));
    return out;
}

class AudioConverterTest : public ::testing::Test {
protected:
    void SetUp() override { converter_->SetInput(source_.get()); }

    /// The converter's output for the given input samples.
    std::vector<uint8_t> Convert(uint32_t inBits, uint32_t inChannels,
                                 const std::vector<int32_t>& samples, uint32_t outBits,
                                 uint32_t outChannels)
    {
        source_->bits = inBits;
        source_->channels = inChannels;
        source_->bytes = Le(samples, inBits / 8);
        converter_->SetOutBitsPerSample(outBits);
        converter_->SetOutChannels(outChannels);
        return Drain(*converter_);
    }

    Owned<BytesSource> source_ = MakeComponent<BytesSource>();
    Owned<TAudioConverter> converter_ = MakeComponent<TAudioConverter>();
};

TEST(AudioConverterSize, EveryFormatDeliversExactlyWhatItAnnounces)
{
    auto source = MakeComponent<test::FakeSource>();
    auto converter = MakeComponent<TAudioConverter>();
    converter->SetInput(source.get());
    // 4096-byte pieces are no whole number of 24-bit frames; 7919 frames fill no whole chunk.
    constexpr int64_t kFrames = 7919;
    for (const uint32_t inBits : {8u, 16u, 24u})
        for (const uint32_t inChannels : {1u, 2u})
            for (const uint32_t outBits : {8u, 16u, 24u})
                for (const uint32_t outChannels : {1u, 2u}) {
                    SCOPED_TRACE(testing::Message() << inBits << "x" << inChannels << " -> "
                                                    << outBits << "x" << outChannels);
                    source->bits = inBits;
                    source->channels = inChannels;
                    source->total = kFrames * inBits / 8 * inChannels;
                    converter->SetOutBitsPerSample(outBits);
                    converter->SetOutChannels(outChannels);
                    converter->BeginRead();
                    const int64_t announced = converter->Size();
                    converter->EndRead();
                    EXPECT_EQ(announced, kFrames * outBits / 8 * outChannels);
                    EXPECT_EQ(static_cast<int64_t>(Drain(*converter, 997).size()), announced);
                    EXPECT_EQ(source->opens.load(), source->closes.load());
                }
}

TEST(AudioConverterSize, WholeFramesOnlyAndUnknownSizesStayUnknown)
{
    auto source = MakeComponent<test::FakeSource>();
    auto converter = MakeComponent<TAudioConverter>();
    converter->SetInput(source.get());
    converter->SetOutBitsPerSample(8);
    converter->SetOutChannels(1);

    source->total = 1000;
    EXPECT_EQ(Drain(*converter).size(), 250u);
    // A part frame at the end is neither announced nor delivered.
    source->bits = 24;
    source->total = 6 * 100 + 5;
    converter->BeginRead();
    EXPECT_EQ(converter->Size(), 100);
    converter->EndRead();
    EXPECT_EQ(Drain(*converter).size(), 100u);

    source->announced = -1;
    converter->BeginRead();
    EXPECT_EQ(converter->Size(), -1);
    converter->EndRead();
}

TEST(AudioConverterSize, UnchangedFormatPassesThroughByteForByte)
{
    auto source = MakeComponent<test::FakeSource>();
    auto converter = MakeComponent<TAudioConverter>();
    converter->SetInput(source.get());
    source->bits = 24;
    source->total = 6 * 5000;
    for (const uint32_t out : {0u, 24u}) {
        converter->SetOutBitsPerSample(out);
        converter->SetOutChannels(out == 0 ? 0 : 2);
        EXPECT_EQ(converter->GetBitsPerSample(), 24u);
        EXPECT_EQ(converter->GetChannels(), 2u);
        const auto data = Drain(*converter, 4321);
        ASSERT_EQ(data.size(), 30000u);
        for (std::size_t i = 0; i < data.size(); ++i)
            ASSERT_EQ(data[i], i % 251) << "byte " << i;
    }
}

TEST_F(AudioConverterTest, StereoToMonoAveragesWithoutWrapping)
{
    EXPECT_EQ(Convert(16, 2, {-3, 0, 3, 0, -32768, -32768, 32767, 32767}, 16, 1),
              Le({-1, 1, -32768, 32767}, 2));
    EXPECT_EQ(Convert(8, 2, {255, 254, 0, 1}, 8, 1), Le({254, 0}, 1));
    // 24 bits shift arithmetically before keeping the upper two bytes.
    EXPECT_EQ(Convert(24, 2, {-3, 0, 0x123456, 0x123456, 0x7FFFFF, 0x7FFFFF}, 24, 1),
              Le({-2, 0x123456, 0x7FFFFF}, 3));
    EXPECT_EQ(Convert(24, 2, {-3, 0, 0x123456, 0x123456}, 16, 1), Le({-1, 0x1234}, 2));
}

TEST_F(AudioConverterTest, SampleSizesMapTheFullRange)
{
    EXPECT_EQ(Convert(8, 1, {128, 0, 255}, 16, 1), Le({0, -32768, 32512}, 2));
    EXPECT_EQ(Convert(16, 1, {-32768, 32767, 0, -1}, 8, 1), Le({0, 255, 128, 127}, 1));
    EXPECT_EQ(Convert(16, 1, {-32768, 32767}, 24, 1), Le({-32768 * 256, 32767 * 256}, 3));
    EXPECT_EQ(Convert(24, 1, {-8388608, 0x7FFFFF, -1}, 8, 1), Le({0, 255, 127}, 1));
}

TEST_F(AudioConverterTest, MonoGoesWhereTheModeSays)
{
    EXPECT_EQ(Convert(16, 1, {-5, 7}, 16, 2), Le({-5, -5, 7, 7}, 2));
    converter_->SetMode(msmMonoToLeft);
    EXPECT_EQ(Convert(16, 1, {-5, 7}, 16, 2), Le({-5, 0, 7, 0}, 2));
    // The silent channel of 8-bit output sits at the midpoint, not at full negative.
    EXPECT_EQ(Convert(8, 1, {10, 200}, 8, 2), Le({10, 128, 200, 128}, 1));
    converter_->SetMode(msmMonoToRight);
    EXPECT_EQ(Convert(16, 1, {-5, 7}, 16, 2), Le({0, -5, 0, 7}, 2));
    EXPECT_EQ(Convert(8, 1, {10}, 24, 2), Le({0, (10 - 128) << 16}, 3));
    converter_->SetMode(msmMonoToBoth);
    // Doubled on 8 bits, then widened to 16 and on to 24.
    EXPECT_EQ(Convert(8, 1, {128, 255, 0}, 24, 2),
              Le({0, 0, 0x7F0000, 0x7F0000, -8388608, -8388608}, 3));
    // 24-bit mono to 8-bit stereo doubles before it shrinks.
    EXPECT_EQ(Convert(24, 1, {0x7FFFFF, -8388608}, 8, 2), Le({255, 255, 0, 0}, 1));
}

// A run converts as it was opened: settings asked for meanwhile are refused.
TEST_F(AudioConverterTest, SettingsAreKeptWhileARunIsOn)
{
    source_->bits = 16;
    source_->channels = 1;
    source_->bytes = Le({-5, 7}, 2);
    converter_->SetOutChannels(2);
    converter_->BeginRead();
    const AudioChunk first = converter_->ReadData(4);
    EXPECT_EQ(std::vector<uint8_t>(first.data, first.data + first.bytes), Le({-5, -5}, 2));
    converter_->SetMode(msmMonoToLeft);
    converter_->SetOutBitsPerSample(8);
    converter_->SetOutChannels(1);
    const AudioChunk second = converter_->ReadData(100);
    EXPECT_EQ(std::vector<uint8_t>(second.data, second.data + second.bytes), Le({7, 7}, 2));
    converter_->EndRead();
    EXPECT_EQ(converter_->Mode(), msmMonoToBoth);
    EXPECT_EQ(converter_->OutBitsPerSample(), 0u);
    EXPECT_EQ(converter_->OutChannels(), 2u);
}

TEST_F(AudioConverterTest, RefusesWhatItCannotDo)
{
    EXPECT_THROW(converter_->SetOutBitsPerSample(32), EAuException);
    EXPECT_THROW(converter_->SetOutChannels(3), EAuException);
    EXPECT_THROW(converter_->ReadData(100), EAuException);

    // Nothing converts 32-bit input: the run delivers nothing and leaves the input closed.
    EXPECT_TRUE(Convert(32, 2, {1, 2, 3, 4}, 16, 2).empty());
    EXPECT_FALSE(source_->IsBusy());
    // Unchanged, any format passes.
    EXPECT_EQ(Convert(32, 2, {1, 2}, 0, 0), Le({1, 2}, 4));

    converter_->SetInput(nullptr);
    converter_->BeginRead();
    EXPECT_FALSE(converter_->IsBusy());
    EXPECT_EQ(converter_->GetSampleRate(), 0u);
    EXPECT_EQ(converter_->ReadData(100).bytes, 0u);
    converter_->EndRead();
}

} // namespace
} // namespace corvath
