#pragma once

#include <cstdint>

namespace corvath {

/// The Opus encoder's settings: the bit rate of the whole stream in kbit/s and the encoder's
/// effort, 0 (fastest) to 10 (best).
struct TOpusOptions {
    int32_t BitRate = 128;
    int32_t Complexity = 10;
};

} // namespace corvath
