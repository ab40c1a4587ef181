#pragma once

#include <cstdint>
#include <filesystem>

namespace corvath::test {

/// Data files of a disc image that hold a given number of 2352-byte sectors of CD audio without
/// taking the room: the sectors read as zeros. Folders on the way are made.

/// A WAVE file of 44.1 kHz 16-bit stereo PCM.
void WriteSizedWave(const std::filesystem::path& file, uint32_t sectors);

/// A FLAC file of only its STREAMINFO block, which is all that tells an image reader its length.
void WriteSizedFlac(const std::filesystem::path& file, uint32_t sectors);

/// A raw file of the sectors.
void WriteSizedRaw(const std::filesystem::path& file, uint32_t sectors);

/// One of the three, as the file's name tells: .wav, .flac, else raw.
void WriteSizedDataFile(const std::filesystem::path& file, uint32_t sectors);

} // namespace corvath::test
