#include "audio/wave/ima_adpcm.h"

#include "platform/bytes/little_endian.h"

#include <algorithm>
#include <stdexcept>

namespace corvath {

namespace {

constexpr std::size_t kChannelHeaderBytes = 4;

// Reconstructed samples stay in a symmetric range; -32768 is never produced.
constexpr int kSampleLimit = 32767;

std::size_t CodeBytesPerChannel(std::size_t blockAlign, int channels)
{
    return (blockAlign - kChannelHeaderBytes * channels) / channels;
}

struct NibbleAt {
    std::size_t byte;
    unsigned shift;
};

// Mono codes follow each other, low nibble first; stereo channels alternate in groups of 4 bytes.
// When a stereo block's code bytes are not whole groups, both channels share the short last
// group equally, so no code of any block size falls outside the block.
NibbleAt LocateCode(std::size_t code, int channel, int channels, std::size_t channelBytes)
{
    const std::size_t byte = code / 2;
    const unsigned shift = code % 2 == 0 ? 0 : 4;
    if (channels == 1)
        return {kChannelHeaderBytes + byte, shift};
    const std::size_t group = byte / 4;
    const std::size_t groupBytes = std::min<std::size_t>(4, channelBytes - group * 4);
    return {2 * kChannelHeaderBytes + group * 8 + channel * groupBytes + byte % 4, shift};
}

// The encoder reconstructs exactly as the decoder does, so both follow the same predictor.
struct ChannelState {
    int predictor;
    int index;

    int Step() const { return kImaStepSizes[index]; }

    void Apply(unsigned code)
    {
        const int step = Step();
        int delta = step >> 3;
        if (code & 4)
            delta += step;
        if (code & 2)
            delta += step >> 1;
        if (code & 1)
            delta += step >> 2;
        predictor = std::clamp(code & 8 ? predictor - delta : predictor + delta, -kSampleLimit,
                               kSampleLimit);
        index = std::clamp(index + kImaIndexAdjust[code], 0, int{kImaMaxStepIndex});
    }
};

unsigned ChooseCode(int sample, const ChannelState& state)
{
    const int step = state.Step();
    int difference = sample - state.predictor;
    unsigned code = 0;
    if (difference < 0) {
        code = 8;
        difference = -difference;
    }
    if (difference >= step) {
        code |= 4;
        difference -= step;
    }
    if (difference >= step / 2) {
        code |= 2;
        difference -= step / 2;
    }
    if (difference >= step / 4)
        code |= 1;
    return code;
}

} // namespace

std::size_t ImaAdpcmFramesPerBlock(std::size_t blockAlign, int channels)
{
    if ((channels != 1 && channels != 2) || blockAlign < kChannelHeaderBytes * channels)
        return 0;
    return 2 * CodeBytesPerChannel(blockAlign, channels) + 1;
}

void TImaAdpcmEncoder::EncodeBlock(std::span<const int16_t> frames, int channels,
                                   std::span<uint8_t> block)
{
    const std::size_t frameCount = ImaAdpcmFramesPerBlock(block.size(), channels);
    if (frameCount == 0 || frames.size() != frameCount * channels)
        throw std::invalid_argument("IMA ADPCM frames do not fit the block");
    std::ranges::fill(block, 0);
    const std::size_t channelBytes = CodeBytesPerChannel(block.size(), channels);
    for (int channel = 0; channel < channels; ++channel) {
        ChannelState state{frames[channel], std::min(stepIndex[channel], kImaMaxStepIndex)};
        uint8_t* header = &block[kChannelHeaderBytes * channel];
        WriteLe16(header, static_cast<uint16_t>(state.predictor));
        header[2] = static_cast<uint8_t>(state.index);
        for (std::size_t code = 0; code + 1 < frameCount; ++code) {
            const unsigned value = ChooseCode(frames[(code + 1) * channels + channel], state);
            const NibbleAt at = LocateCode(code, channel, channels, channelBytes);
            block[at.byte] |= static_cast<uint8_t>(value << at.shift);
            state.Apply(value);
        }
        stepIndex[channel] = static_cast<uint8_t>(state.index);
    }
}

std::size_t DecodeImaAdpcmBlock(std::span<const uint8_t> block, int channels,
                                std::span<int16_t> out)
{
    const std::size_t frameCount = ImaAdpcmFramesPerBlock(block.size(), channels);
    if (frameCount == 0)
        return 0;
    if (out.size() < frameCount * channels)
        throw std::invalid_argument("IMA ADPCM output buffer too small for the block");
    const std::size_t channelBytes = CodeBytesPerChannel(block.size(), channels);
    for (int channel = 0; channel < channels; ++channel) {
        const uint8_t* header = &block[kChannelHeaderBytes * channel];
        // A damaged index is clamped rather than the block dropped, so the file keeps its length.
        ChannelState state{ReadLeInt16(header), std::min(header[2], kImaMaxStepIndex)};
        out[channel] = static_cast<int16_t>(state.predictor);
        for (std::size_t code = 0; code + 1 < frameCount; ++code) {
            const NibbleAt at = LocateCode(code, channel, channels, channelBytes);
            state.Apply((block[at.byte] >> at.shift) & 0xF);
            out[(code + 1) * channels + channel] = static_cast<int16_t>(state.predictor);
        }
    }
    return frameCount;
}

} // namespace corvath
