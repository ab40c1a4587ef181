#pragma once

#include "platform/media/wm_codec_info.h"

#include <cstdint>
#include <optional>

namespace corvath {

/// What the WMA output wants when no codec is chosen: the input's shape and a target, a bit
/// rate in bit/s or, for variable bit rate, a quality.
struct WmaFormatWish {
    uint16_t channels;
    uint16_t bitsPerSample;
    uint32_t sampleRate;
    bool lossless;
    bool variable;
    uint32_t target;
};

/// Walks every codec's formats in order and keeps the best for the wish, greedily: a format is
/// weighed against the last one kept, and of two at the same distance the later wins.
/// Constant bit rate: a format whose bit rate is closer to the target than the kept one's is
/// taken when its channels and sample size are the input's and its rate is no farther from the
/// input's. Lossless: the same among lossless formats, and the first one is kept if none
/// matches the input. Variable: among the formats matching the input the closest quality wins,
/// then the closer rate; the first variable format is kept if none matches.
/// Lossless and variable searches switch codecs to their variable-bit-rate enumeration.
std::optional<WmStreamConfig> FindWmaStreamConfig(WmCodecInfo& codecs, const WmaFormatWish& wish);

} // namespace corvath
