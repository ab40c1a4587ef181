#pragma once

#include <cstdint>
#include <vector>

namespace corvath::test {

/// Kinds of generated audio: digital silence; full-scale square waves of opposite polarity per
/// channel; full-scale white noise; and music-like material (chords of decaying harmonic
/// voices with vibrato, panned differently per channel, over faint noise).
enum class Signal { kSilence, kSquare, kNoise, kMusic };

/// Blocks of PCM as a WAV data chunk holds them (8-bit unsigned, 16- and 24-bit signed
/// little-endian, channels interleaved), at 44.1 kHz; the same arguments give the same bytes.
/// startBlock continues a signal where an earlier call ended.
std::vector<uint8_t> GeneratePcm(Signal signal, uint16_t bitsPerSample, uint16_t channels,
                                 std::size_t blocks, std::size_t startBlock = 0);

} // namespace corvath::test
