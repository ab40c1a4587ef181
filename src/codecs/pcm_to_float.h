#pragma once

#include "platform/bytes/little_endian.h"

#include <cstddef>
#include <cstdint>

namespace corvath {

namespace pcm_to_float_detail {

template <std::size_t SampleBytes, typename ToFloat, typename Store>
void ConvertFrames(const uint8_t* data, uint32_t frames, uint32_t channels, ToFloat toFloat,
                   Store& store)
{
    for (uint32_t i = 0; i < frames; ++i) {
        const uint8_t* frame = data + std::size_t{i} * channels * SampleBytes;
        for (uint32_t c = 0; c < channels; ++c)
            store(i, c, toFloat(frame + c * SampleBytes));
    }
}

} // namespace pcm_to_float_detail

/// Reads frames of interleaved PCM as the sources deliver it (bits 8: unsigned; 16 or 24:
/// signed little-endian) as floats from -1 up to 1, calling store(frame, channel, value) for
/// each sample in order; where the value goes is the encoder's business. Any thread.
template <typename Store>
void PcmToFloat(const uint8_t* data, uint32_t frames, uint32_t channels, uint32_t bits, Store store)
{
    using pcm_to_float_detail::ConvertFrames;
    switch (bits) {
    case 8:
        return ConvertFrames<1>(
            data, frames, channels, [](const uint8_t* s) { return (s[0] - 128) / 128.0f; }, store);
    case 16:
        return ConvertFrames<2>(
            data, frames, channels, [](const uint8_t* s) { return ReadLeInt16(s) / 32768.0f; },
            store);
    default:
        return ConvertFrames<3>(
            data, frames, channels,
            [](const uint8_t* s) {
                const auto high = static_cast<uint32_t>(s[0] << 8 | s[1] << 16 | s[2] << 24);
                return (static_cast<int32_t>(high) >> 8) / 8388608.0f;
            },
            store);
    }
}

} // namespace corvath
