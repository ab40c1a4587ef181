#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace corvath {

/// Step sizes of the standard IMA ADPCM coding, one per step index 0 to 88.
inline constexpr std::array<int16_t, 89> kImaStepSizes = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

/// Change of the step index after each 4-bit code; the sign bit (8) does not matter.
inline constexpr std::array<int8_t, 16> kImaIndexAdjust = {-1, -1, -1, -1, 2, 4, 6, 8,
                                                           -1, -1, -1, -1, 2, 4, 6, 8};

inline constexpr uint8_t kImaMaxStepIndex = 88;

/// Frames one IMA ADPCM block of blockAlign bytes holds: the header frame plus two per code byte
/// of each channel (1017 for mono and 505 for stereo at 512 bytes). 0 when channels is not 1 or 2
/// or the block cannot hold the 4-byte header of every channel.
std::size_t ImaAdpcmFramesPerBlock(std::size_t blockAlign, int channels);

/// Encodes the blocks of one file, mono or stereo. Each channel's step index carries over from
/// one block to the next; a new file starts from zero, an appended file goes on from the values
/// held.
struct TImaAdpcmEncoder {
    std::array<uint8_t, 2> stepIndex{}; ///< left (or mono) and right; above 88 is taken as 88

    /// Encodes ImaAdpcmFramesPerBlock(block.size(), channels) interleaved frames into block.
    /// The first frame becomes the headers' predictors. Throws std::invalid_argument when the
    /// frame count does not fit the block or channels is not 1 or 2.
    void EncodeBlock(std::span<const int16_t> frames, int channels, std::span<uint8_t> block);
};

/// Decodes one IMA ADPCM block into interleaved frames and returns how many it wrote:
/// ImaAdpcmFramesPerBlock(block.size(), channels), 0 for a block shorter than its headers.
/// A step index above 88 in a header is taken as 88. Throws std::invalid_argument when out
/// cannot hold the frames.
std::size_t DecodeImaAdpcmBlock(std::span<const uint8_t> block, int channels,
                                std::span<int16_t> out);

} // namespace corvath
