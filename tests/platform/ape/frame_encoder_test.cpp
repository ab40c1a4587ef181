#include "platform/ape/frame_encoder.h"
#include "platform/ape/range_encoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstdint>
#include <gtest/gtest.h>
#include <span>
#include <vector>

namespace corvath::ape {
namespace {

using Bytes = std::vector<uint8_t>;

// Interleaved samples as WAV data bytes (8-bit offset by 128, others little-endian).
Bytes Pcm(const FrameFormat& format, const std::vector<int32_t>& samples)
{
    Bytes pcm;
    for (int32_t sample : samples) {
        if (format.bitsPerSample == 8)
            sample += 128;
        for (int shift = 0; shift < format.bitsPerSample; shift += 8)
            pcm.push_back(static_cast<uint8_t>(static_cast<uint32_t>(sample) >> shift));
    }
    return pcm;
}

std::vector<int32_t> Interleave(const std::vector<int32_t>& ch0, const std::vector<int32_t>& ch1)
{
    std::vector<int32_t> samples;
    for (std::size_t i = 0; i < ch0.size(); ++i)
        samples.insert(samples.end(), {ch0[i], ch1[i]});
    return samples;
}

Bytes EncodeFrame(FrameEncoder& encoder, const FrameFormat& format,
                  const std::vector<int32_t>& samples)
{
    Bytes frame;
    encoder.Encode(Pcm(format, samples), frame);
    return frame;
}

// Frames of files a real decoder accepted, before the file's word swap.
TEST(FrameEncoderTest, ReproducesKnownFrames)
{
    {
        const FrameFormat mono16{1, 16, 1000};
        FrameEncoder encoder(mono16);
        EXPECT_EQ(EncodeFrame(encoder, mono16, {1, -1, 2, -2, 1000}),
                  (Bytes{0x11, 0x39, 0x49, 0xd9, 0x00, 0x00, 0x26, 0x48, 0xd2, 0xcc, 0x00, 0x5c,
                         0x90, 0x6a}));
    }
    {
        const FrameFormat stereo16{2, 16, 3000};
        FrameEncoder encoder(stereo16);
        EXPECT_EQ(EncodeFrame(encoder, stereo16, std::vector<int32_t>(6, 0)),
                  (Bytes{0x3d, 0xea, 0xe3, 0x37, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    }
}

// Loud 24-bit stereo: the predictor must keep its sums to 32 bits as the decoder does.
TEST(FrameEncoderTest, LoudStereo24BitWrapsPredictorSums)
{
    const FrameFormat stereo24{2, 24, 1000};
    FrameEncoder encoder(stereo24);
    const std::vector<int32_t> ch0 = {0, 8388607, -8388608, 8388607, 5000000, -5000000, 1, -1};
    const std::vector<int32_t> ch1 = {0, -8388608, 8388607, -8388608, -5000000, 5000000, 0, 0};
    const Bytes expected = {0x75, 0x7b, 0xa6, 0xa5, 0x00, 0x00, 0x00, 0x05, 0xb5, 0xfa, 0x4a,
                            0x05, 0xe5, 0x29, 0x44, 0x6d, 0xcc, 0x3f, 0x8b, 0xc0, 0x00, 0x36,
                            0x95, 0x88, 0x6c, 0x19, 0xcf, 0xec, 0x52, 0x21, 0x0e, 0x1f, 0xe6,
                            0x10, 0x00, 0x1f, 0xae, 0xa0, 0x49, 0xbf, 0x41, 0x2f, 0xd5, 0xbb,
                            0x0a, 0xc2, 0xaa, 0x73, 0xdd, 0xfa, 0xf5, 0x7e, 0x64, 0xd5, 0x46,
                            0x29, 0xd3, 0xf4, 0x3b, 0xa2, 0x6d, 0x54, 0x76, 0x0e, 0xe0, 0x5a};
    EXPECT_EQ(EncodeFrame(encoder, stereo24, Interleave(ch0, ch1)), expected);
}

// One encoder for three frames in a row: nothing may carry over from frame to frame.
TEST(FrameEncoderTest, EncodesSuccessiveFramesIndependently)
{
    const FrameFormat stereo16{2, 16, 2000};
    FrameEncoder encoder(stereo16);
    const std::vector<int32_t> ch0 = {0, 100, 200, -300, 32767, -32768, 5, 6, 7, 8};
    const std::vector<int32_t> ch1 = {0, -100, 50, -301, 32767, 32767, -5, 6, 0, 1};
    const std::vector<int32_t> samples = Interleave(ch0, ch1);
    auto blocks = [&](std::size_t first, std::size_t count) {
        return std::vector<int32_t>(samples.begin() + 2 * first,
                                    samples.begin() + 2 * (first + count));
    };

    EXPECT_EQ(EncodeFrame(encoder, stereo16, blocks(0, 4)),
              (Bytes{0x29, 0xdd, 0x5d, 0xfc, 0x00, 0x00, 0x00, 0x01, 0x60, 0x35, 0xa7, 0x8b, 0x21,
                     0xcc, 0xd8, 0x1e, 0xcf, 0xc8}));
    EXPECT_EQ(EncodeFrame(encoder, stereo16, blocks(4, 4)),
              (Bytes{0x13, 0x27, 0x0e, 0x5a, 0x00, 0x00, 0x26, 0x3b, 0xd9, 0xc4, 0x00, 0x13,
                     0x1d, 0xd9, 0xc3, 0xec, 0xe2, 0x00, 0x13, 0xbb, 0xcb, 0x39, 0x2c, 0x24,
                     0x00, 0x02, 0xb5, 0x4d, 0xdd, 0xb6, 0x58, 0x00, 0x00, 0x8b, 0xe9, 0xbc,
                     0x62, 0xe3, 0xb4, 0x5e, 0x97, 0x2d, 0x84, 0x69, 0xb2, 0x5d, 0xe8}));
    // The known file pads this last frame with zeros to its 32-bit word end.
    Bytes last = EncodeFrame(encoder, stereo16, blocks(8, 2));
    ASSERT_LE(last.size(), 15u);
    last.resize(15, 0);
    EXPECT_EQ(last, (Bytes{0x59, 0xa4, 0x67, 0xef, 0x00, 0x02, 0x17, 0x7e, 0x02, 0x08, 0xba, 0x00,
                           0x00, 0x00, 0x00}));
}

// A decoder for the range coder and the residual coder, written from the decoder's rules
// independently of the encoder.
class TestDecoder {
public:
    explicit TestDecoder(std::span<const uint8_t> bytes) : bytes_(bytes)
    {
        Next(); // the dummy byte
        buffer_ = Next();
        low_ = buffer_ >> 1;
        range_ = 1u << 7;
    }

    // The cumulative count the next symbol of this total points at.
    uint32_t Peek(uint32_t total)
    {
        while (range_ <= 1u << 23) {
            buffer_ = (buffer_ << 8) | Next();
            low_ = (low_ << 8) | ((buffer_ >> 1) & 0xFF);
            range_ <<= 8;
        }
        unit_ = range_ / total;
        return low_ / unit_;
    }

    void Consume(uint32_t cum, uint32_t freq)
    {
        low_ -= unit_ * cum;
        range_ = unit_ * freq;
    }

    uint32_t Raw(unsigned bits)
    {
        const uint32_t value = Peek(1u << bits);
        Consume(value, 1);
        return value;
    }

    int32_t Residual(uint32_t& magnitudeSum)
    {
        static constexpr std::array<uint32_t, 22> kCum = {
            0,     19578, 36160, 48417, 56323, 60899, 63265, 64435, 64971, 65232, 65351,
            65416, 65447, 65466, 65476, 65482, 65485, 65488, 65490, 65491, 65492, 65493};
        const uint32_t pivot = std::max(magnitudeSum >> 5, 1u);
        const uint32_t point = Peek(65536);
        uint32_t overflow = point > 65492 ? point - 65472 : 0;
        if (overflow == 0) {
            while (kCum[overflow + 1] <= point)
                ++overflow;
            Consume(kCum[overflow], kCum[overflow + 1] - kCum[overflow]);
        } else {
            Consume(65472 + overflow, 1);
        }
        if (overflow == 63) {
            ++escapes;
            overflow = Raw(16) << 16;
            overflow |= Raw(16);
        }
        uint32_t base;
        if (pivot < 65536) {
            base = Peek(pivot);
            Consume(base, 1);
        } else {
            ++splitBases;
            const unsigned lowBits = std::bit_width(pivot) - 16;
            const uint32_t high = Peek((pivot >> lowBits) + 1);
            Consume(high, 1);
            base = (high << lowBits) + Raw(lowBits);
        }
        const uint32_t folded = base + overflow * pivot;
        magnitudeSum += ((folded + 1) >> 1) - ((magnitudeSum + 16) >> 5);
        return static_cast<int32_t>(folded & 1 ? (folded >> 1) + 1 : 0u - (folded >> 1));
    }

    /// True once the decoder needed a byte beyond the frame.
    bool overran = false;
    int escapes = 0;
    int splitBases = 0;

private:
    uint32_t Next()
    {
        if (position_ == bytes_.size()) {
            overran = true;
            return 0;
        }
        return bytes_[position_++];
    }

    std::span<const uint8_t> bytes_;
    std::size_t position_ = 0;
    uint32_t buffer_ = 0;
    uint32_t low_ = 0;
    uint32_t range_ = 0;
    uint32_t unit_ = 0;
};

TEST(RangeEncoderTest, CarryRipplesThroughBytesAlreadyWritten)
{
    // The first two intervals straddle the point where the written bytes 00 FF FF would turn
    // over; the last symbol lands just below it or just above it.
    struct Step {
        uint32_t cum, freq;
    };
    auto check = [](Step last, const Bytes& expected) {
        const Step steps[] = {{255, 2}, {32767, 2}, last};
        RangeEncoder coder;
        Bytes out;
        coder.Begin(out);
        for (const Step& step : steps)
            coder.EncodeShift(step.cum, step.freq, 16);
        EXPECT_EQ(out, expected);
        coder.Finish();

        TestDecoder decoder(out);
        for (const Step& step : steps) {
            const uint32_t point = decoder.Peek(65536);
            EXPECT_TRUE(point >= step.cum && point < step.cum + step.freq) << point;
            decoder.Consume(step.cum, step.freq);
        }
        EXPECT_FALSE(decoder.overran);
    };
    check({32767, 1}, Bytes{0x00, 0x00, 0xFF, 0xFF});
    check({32768, 1}, Bytes{0x00, 0x01, 0x00, 0x00});
}

TEST(ResidualCoderTest, DecodesBackAcrossEscapesAndWidePivots)
{
    // Small values, sudden huge ones (escaped overflow, then pivots beyond 16 bits), both
    // extremes of int32, and a slow decay back down.
    std::vector<int32_t> values = {
        0, 1, -1, 5, -300, 20000, -1000000, 1 << 26, -(1 << 26), INT32_MAX, INT32_MIN, 12345678, 0};
    uint32_t state = 1;
    for (int i = 0; i < 3000; ++i) {
        state = state * 1103515245u + 12345u;
        const int32_t magnitude = (1 << 24) >> (i / 200);
        values.push_back(static_cast<int32_t>(state >> 7) % (2 * magnitude + 1) - magnitude);
    }

    RangeEncoder coder;
    ResidualCoder channels[2];
    Bytes out;
    coder.Begin(out);
    for (std::size_t i = 0; i < values.size(); ++i)
        channels[i % 2].Encode(values[i], coder);
    coder.Finish();

    TestDecoder decoder(out);
    uint32_t magnitudeSums[2] = {16384, 16384};
    for (std::size_t i = 0; i < values.size(); ++i)
        ASSERT_EQ(decoder.Residual(magnitudeSums[i % 2]), values[i]) << "value " << i;
    EXPECT_FALSE(decoder.overran);
    EXPECT_GT(decoder.escapes, 0);
    EXPECT_GT(decoder.splitBases, 0);
}

} // namespace
} // namespace corvath::ape
