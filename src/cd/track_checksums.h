#pragma once

#include "platform/bytes/crc32.h"

#include <array>
#include <cstdint>
#include <span>

namespace corvath {

/// Where a track lies on its disc, as the AccurateRip checksums need it: the first and last
/// tracks leave out five frames' worth of samples at the disc's edges, where drives disagree.
struct TrackPlace {
    bool firstOnDisc = false;
    bool lastOnDisc = false;
    uint64_t samples = 0; ///< stereo samples of the track
};

/// What a rip reports of a track's audio as it was read.
struct TrackChecksumValues {
    uint32_t copyCrc = 0;
    uint32_t accurateRipV1 = 0;
    uint32_t accurateRipV2 = 0;
};

/// The checksums of one ripped track, taken from its audio as it is read (16-bit stereo, little
/// endian, left first), so the file need not be read again: the copy CRC (CRC-32 of every byte)
/// and the AccurateRip v1 and v2 checksums.
class TrackChecksums {
public:
    explicit TrackChecksums(const TrackPlace& place);

    /// The next bytes of the track, in pieces of any size.
    void Add(std::span<const uint8_t> audio);

    uint32_t CopyCrc() const { return crc_.Value(); }
    uint32_t AccurateRipV1() const { return v1_; }
    uint32_t AccurateRipV2() const { return v2_; }
    TrackChecksumValues Values() const { return {CopyCrc(), v1_, v2_}; }

private:
    void AddSample(uint32_t sample);

    uint64_t firstCounted_;
    uint64_t lastCounted_;
    uint64_t position_ = 0; // of the last whole sample, counting from 1
    Crc32 crc_;
    uint32_t v1_ = 0;
    uint32_t v2_ = 0;
    std::array<uint8_t, 4> pending_{}; // a sample split between two pieces
    uint32_t pendingBytes_ = 0;
};

} // namespace corvath
