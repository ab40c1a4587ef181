#pragma once

#include <cstdint>

namespace corvath {

/// The MP3 encoder's settings: bit rates in kbit/s, the mode and quality indexes of the options
/// dialog, and the processor use 1 (less) to 3 (more).
struct TMp3Options {
    bool IsSelectVBR = false;
    bool IsVBRHead = false;
    int32_t BitRate = 128;
    int32_t MaxBitRate = 320;
    int32_t VBRQuality = 4;
    int32_t StereoMode = 1;
    int32_t CPU = 3;
    int32_t ConstantBitRate = 128;
};

} // namespace corvath
