#pragma once

#include <cstdint>

namespace corvath {

/// The Ogg Vorbis encoder's settings: quality mode with its slider position (30 to 100), or the
/// bit-rate manager with the options dialog's item indexes of the three bit rates.
struct TOggOptions {
    bool IsUseCompress = true;
    int32_t CompressPosition = 30;
    int32_t MaxBitRate = 0;
    int32_t NomalBitRate = 0;
    int32_t MinBitRate = 0;
};

} // namespace corvath
