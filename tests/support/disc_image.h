#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace corvath::test {

/// A track of a generated disc image: its raw sectors (2352 bytes each; audio as 16-bit
/// little-endian stereo), whether it is a data track, and how many of its first sectors are its
/// pre-gap (INDEX 00 at its first sector, INDEX 01 that many sectors later).
struct ImageTrack {
    std::vector<uint8_t> sectors;
    bool data = false;
    uint32_t pregap = 0;
};

/// Writes stem.bin with the tracks' sectors one after another, preceded by the hidden audio
/// that the cue sheet puts before the first track's start (INDEX 00 to INDEX 01), and stem.cue
/// describing them, numbered from firstTrack; returns the cue sheet's path. The CD layer opens
/// it like a drive.
std::filesystem::path WriteCueImage(const std::filesystem::path& stem,
                                    const std::vector<ImageTrack>& tracks,
                                    const std::vector<uint8_t>& hidden, int firstTrack = 1);

/// The same with hiddenSectors of loud audio (bytes i % 251) hidden before the first track.
std::filesystem::path WriteCueImage(const std::filesystem::path& stem,
                                    const std::vector<ImageTrack>& tracks,
                                    uint32_t hiddenSectors = 0, int firstTrack = 1);

/// The position of a registered image in the CD layer's drive list, found by its path.
std::optional<std::size_t> DriveListIndex(const std::filesystem::path& image);

/// Sectors of generated audio: a different pattern per seed, never silent.
std::vector<uint8_t> AudioSectors(uint32_t count, uint32_t seed);

} // namespace corvath::test
