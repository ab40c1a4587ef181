#include "platform/ape/frame_encoder.h"

#include "platform/ape/nn_filter.h"
#include "platform/ape/predictor.h"
#include "platform/ape/range_encoder.h"
#include "platform/bytes/crc32.h"

#include <cassert>

namespace corvath::ape {

namespace {

struct FilterStage {
    int taps;
    int fractionBits;
};

// The stages in the order the encoder runs them (the decoder runs them backwards).
std::vector<FilterStage> FilterStages(uint16_t compressionLevel)
{
    switch (compressionLevel) {
    case 2000:
        return {{16, 11}};
    case 3000:
        return {{64, 11}};
    case 4000:
        return {{256, 13}, {32, 10}};
    default:
        return {};
    }
}

// One sample as a signed value (8-bit samples are stored offset by 128).
template <int Bits> int32_t ReadSample(const uint8_t* sample)
{
    if constexpr (Bits == 8)
        return sample[0] - 128;
    else if constexpr (Bits == 16)
        return static_cast<int16_t>(sample[0] | sample[1] << 8);
    else
        return static_cast<int32_t>(
                   static_cast<uint32_t>(sample[0] << 8 | sample[1] << 16 | sample[2] << 24)) >>
               8;
}

// Mono: the samples into first. Stereo: the difference channel into first, the mid channel
// into second.
template <int Bits>
void SplitChannels(std::span<const uint8_t> pcm, uint16_t channels, std::vector<int32_t>& first,
                   std::vector<int32_t>& second)
{
    constexpr std::size_t kBytes = Bits / 8;
    const std::size_t blocks = first.size();
    const uint8_t* sample = pcm.data();
    if (channels == 1) {
        for (std::size_t i = 0; i < blocks; ++i, sample += kBytes)
            first[i] = ReadSample<Bits>(sample);
        return;
    }
    for (std::size_t i = 0; i < blocks; ++i, sample += 2 * kBytes) {
        const int32_t s0 = ReadSample<Bits>(sample);
        const int32_t s1 = ReadSample<Bits>(sample + kBytes);
        first[i] = s1 - s0;
        second[i] = s0 + first[i] / 2;
    }
}

} // namespace

struct FrameEncoder::State {
    // Index 0 is the channel coded first in each block (stereo: the difference channel).
    std::vector<int32_t> targets[2];
    std::vector<int32_t> residuals[2];
    std::vector<NNFilter> filters[2];
    ResidualCoder residualCoders[2];
    StereoPredictor stereoPredictor;
    MonoPredictor monoPredictor;
    RangeEncoder rangeEncoder;
};

FrameEncoder::FrameEncoder(const FrameFormat& format)
    : format_(format), state_(std::make_unique<State>())
{
    for (const FilterStage& stage : FilterStages(format.compressionLevel)) {
        for (uint16_t c = 0; c < format.channels; ++c)
            state_->filters[c].emplace_back(stage.taps, stage.fractionBits);
    }
}

FrameEncoder::~FrameEncoder() = default;

void FrameEncoder::Encode(std::span<const uint8_t> pcm, std::vector<uint8_t>& out)
{
    const std::size_t blocks = pcm.size() / format_.BlockAlign();
    assert(blocks > 0 && blocks * format_.BlockAlign() == pcm.size());
    State& state = *state_;
    const uint16_t channels = format_.channels;

    const uint32_t crcWord = Crc32::Of(pcm) >> 1; // bit 31 clear: no special-case flags follow
    out.insert(out.end(), {static_cast<uint8_t>(crcWord >> 24), static_cast<uint8_t>(crcWord >> 16),
                           static_cast<uint8_t>(crcWord >> 8), static_cast<uint8_t>(crcWord)});

    for (uint16_t c = 0; c < channels; ++c) {
        state.targets[c].resize(blocks);
        state.residuals[c].resize(blocks);
    }
    switch (format_.bitsPerSample) {
    case 8:
        SplitChannels<8>(pcm, channels, state.targets[0], state.targets[1]);
        break;
    case 16:
        SplitChannels<16>(pcm, channels, state.targets[0], state.targets[1]);
        break;
    default:
        SplitChannels<24>(pcm, channels, state.targets[0], state.targets[1]);
        break;
    }

    if (channels == 1) {
        state.monoPredictor.Reset();
        state.monoPredictor.Encode(state.targets[0], state.residuals[0]);
    } else {
        state.stereoPredictor.Reset();
        state.stereoPredictor.Encode(state.targets[0], state.targets[1], state.residuals[0],
                                     state.residuals[1]);
    }

    // Each channel's filter stages see only that channel's residuals.
    for (uint16_t c = 0; c < channels; ++c) {
        for (NNFilter& filter : state.filters[c]) {
            filter.Reset();
            filter.Encode(state.residuals[c]);
        }
        state.residualCoders[c].Reset();
    }

    state.rangeEncoder.Begin(out);
    for (std::size_t i = 0; i < blocks; ++i) {
        for (uint16_t c = 0; c < channels; ++c)
            state.residualCoders[c].Encode(state.residuals[c][i], state.rangeEncoder);
    }
    state.rangeEncoder.Finish();
}

} // namespace corvath::ape
