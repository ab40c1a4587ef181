#pragma once

#include <array>
#include <cstdint>

namespace corvath {

inline constexpr uint32_t kPcmWaveHeaderBytes = 44;

/// The 44-byte header of a PCM WAV file: RIFF, fmt (16 bytes) and data chunk header, the RIFF
/// size taken from dataSize.
std::array<uint8_t, kPcmWaveHeaderBytes> PcmWaveHeader(uint16_t channels, uint32_t sampleRate,
                                                       uint16_t bitsPerSample, uint32_t dataSize);

} // namespace corvath
