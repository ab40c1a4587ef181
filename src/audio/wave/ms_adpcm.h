#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace corvath {

/// Scales of the delta after each 4-bit Microsoft ADPCM code, in 1/256.
inline constexpr std::array<int, 16> kMsAdpcmAdaptation = {230, 230, 230, 230, 307, 409, 512, 614,
                                                           768, 614, 512, 409, 307, 230, 230, 230};

/// One predictor of a Microsoft ADPCM file: weights of the previous two samples, in 1/256.
struct TMsAdpcmCoefficients {
    int16_t first;
    int16_t second;
};

/// What a Microsoft ADPCM file's fmt chunk says about its blocks.
struct TMsAdpcmFormat {
    int channels = 0;                               ///< 1 or 2
    std::size_t samplesPerBlock = 0;                ///< frames per block, the header two included
    std::vector<TMsAdpcmCoefficients> coefficients; ///< as stored in the file
};

/// Frames DecodeMsAdpcmBlock makes from a block of blockAlign bytes: the two header frames plus
/// the codes of samplesPerBlock, but only as many codes as the block holds. 0 when channels is
/// not 1 or 2, the block is shorter than its header, or the format has no coefficients.
std::size_t MsAdpcmFramesPerBlock(std::size_t blockAlign, const TMsAdpcmFormat& format);

/// Decodes one block into interleaved frames, the second header samples first, and returns how
/// many it wrote (MsAdpcmFramesPerBlock). A predictor index beyond the coefficient table selects
/// the file's first pair. Throws std::invalid_argument when out cannot hold the frames.
std::size_t DecodeMsAdpcmBlock(std::span<const uint8_t> block, const TMsAdpcmFormat& format,
                               std::span<int16_t> out);

} // namespace corvath
