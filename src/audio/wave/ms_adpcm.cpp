#include "audio/wave/ms_adpcm.h"

#include "platform/bytes/little_endian.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace corvath {

namespace {

constexpr std::size_t kChannelHeaderBytes = 7;
constexpr int kMinDelta = 16;

// Damaged data can grow the delta without end; stop before delta x 768 overflows.
constexpr int kMaxDelta = std::numeric_limits<int>::max() / 768;

struct ChannelState {
    TMsAdpcmCoefficients pair;
    int delta;
    int first;
    int second;

    int16_t Decode(unsigned nibble)
    {
        // The file's coefficients may be any 16-bit values, so the sum needs 64 bits.
        const int64_t prediction =
            (int64_t{first} * pair.first + int64_t{second} * pair.second) / 256;
        const int signedNibble = static_cast<int>(nibble) - (nibble >= 8 ? 16 : 0);
        const auto sample = static_cast<int16_t>(
            std::clamp<int64_t>(prediction + int64_t{signedNibble} * delta, -32768, 32767));
        delta = std::clamp(delta * kMsAdpcmAdaptation[nibble] / 256, kMinDelta, kMaxDelta);
        second = first;
        first = sample;
        return sample;
    }
};

// Header fields come grouped by kind, each group holding one value per channel.
ChannelState ReadChannelHeader(std::span<const uint8_t> block, int channel, int channels,
                               const TMsAdpcmFormat& format)
{
    const uint8_t predictor = block[channel];
    const TMsAdpcmCoefficients pair = predictor < format.coefficients.size()
                                          ? format.coefficients[predictor]
                                          : format.coefficients.front();
    const uint8_t* deltas = &block[channels];
    const uint8_t* firsts = deltas + 2 * channels;
    const uint8_t* seconds = firsts + 2 * channels;
    return {pair, ReadLeInt16(deltas + 2 * channel), ReadLeInt16(firsts + 2 * channel),
            ReadLeInt16(seconds + 2 * channel)};
}

} // namespace

std::size_t MsAdpcmFramesPerBlock(std::size_t blockAlign, const TMsAdpcmFormat& format)
{
    const int channels = format.channels;
    const std::size_t headerBytes = kChannelHeaderBytes * channels;
    if ((channels != 1 && channels != 2) || blockAlign < headerBytes || format.coefficients.empty())
        return 0;
    const std::size_t codes = format.samplesPerBlock < 2 ? 0 : format.samplesPerBlock - 2;
    const std::size_t codeBytes =
        std::min(channels == 1 ? codes / 2 : codes, blockAlign - headerBytes);
    return 2 + 2 * codeBytes / channels;
}

std::size_t DecodeMsAdpcmBlock(std::span<const uint8_t> block, const TMsAdpcmFormat& format,
                               std::span<int16_t> out)
{
    const std::size_t frames = MsAdpcmFramesPerBlock(block.size(), format);
    if (frames == 0)
        return 0;
    const int channels = format.channels;
    if (out.size() < frames * channels)
        throw std::invalid_argument("Microsoft ADPCM output buffer too small for the block");
    std::array<ChannelState, 2> states{};
    for (int channel = 0; channel < channels; ++channel) {
        states[channel] = ReadChannelHeader(block, channel, channels, format);
        out[channel] = static_cast<int16_t>(states[channel].second);
        out[channels + channel] = static_cast<int16_t>(states[channel].first);
    }
    // Nibbles run high before low and alternate channels in stereo, which is the output order.
    const uint8_t* codes = &block[kChannelHeaderBytes * channels];
    const std::size_t nibbles = (frames - 2) * channels;
    for (std::size_t nibble = 0; nibble < nibbles; ++nibble) {
        const uint8_t byte = codes[nibble / 2];
        const unsigned code = nibble % 2 == 0 ? byte >> 4 : byte & 0xF;
        out[2 * channels + nibble] = states[nibble % channels].Decode(code);
    }
    return frames;
}

} // namespace corvath
