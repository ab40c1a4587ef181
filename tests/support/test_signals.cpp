#include "support/test_signals.h"

#include <array>
#include <cmath>
#include <numbers>

namespace corvath::test {

namespace {

constexpr double kRate = 44100;

// A small deterministic generator: the same block always gets the same noise.
double NoiseAt(std::size_t block, uint16_t channel)
{
    uint64_t x = block * 2 + channel + 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    x ^= x >> 31;
    return static_cast<double>(x >> 11) / static_cast<double>(1ull << 53) * 2 - 1;
}

// Chords that change twice a second; every voice has a few harmonics and decays.
double MusicAt(std::size_t block, uint16_t channel)
{
    static constexpr std::array<std::array<double, 3>, 4> kChords{{{220.0, 277.18, 329.63},
                                                                   {196.0, 246.94, 293.66},
                                                                   {174.61, 220.0, 261.63},
                                                                   {164.81, 207.65, 246.94}}};
    const double t = static_cast<double>(block) / kRate;
    const auto& chord = kChords[static_cast<std::size_t>(t * 2) % kChords.size()];
    const double sinceNote = std::fmod(t, 0.5);
    const double envelope = std::exp(-4 * sinceNote) * std::min(1.0, sinceNote * 200);
    double sum = 0;
    for (std::size_t voice = 0; voice < chord.size(); ++voice) {
        const double pan = channel == 0 ? 1.0 - 0.3 * static_cast<double>(voice)
                                        : 0.4 + 0.3 * static_cast<double>(voice);
        const double vibrato = 0.003 * std::sin(2 * std::numbers::pi * 5 * t);
        for (int harmonic = 1; harmonic <= 4; ++harmonic) {
            const double phase = 2 * std::numbers::pi * chord[voice] * harmonic * t * (1 + vibrato);
            sum += pan * std::sin(phase) / (harmonic * harmonic);
        }
    }
    return 0.22 * envelope * sum + 0.002 * NoiseAt(block, channel);
}

double ValueAt(Signal signal, std::size_t block, uint16_t channel)
{
    switch (signal) {
    case Signal::kSilence:
        return 0;
    case Signal::kSquare: {
        const bool high = (block / 50) % 2 == 0;
        return (high == (channel == 0)) ? 1.0 : -1.0;
    }
    case Signal::kNoise:
        return NoiseAt(block, channel);
    case Signal::kMusic:
        return MusicAt(block, channel);
    }
    return 0;
}

} // namespace

std::vector<uint8_t> GeneratePcm(Signal signal, uint16_t bitsPerSample, uint16_t channels,
                                 std::size_t blocks, std::size_t startBlock)
{
    const int64_t maximum = (int64_t{1} << (bitsPerSample - 1)) - 1;
    const std::size_t bytesPerSample = bitsPerSample / 8u;
    std::vector<uint8_t> pcm;
    pcm.reserve(blocks * channels * bytesPerSample);
    for (std::size_t block = startBlock; block < startBlock + blocks; ++block) {
        for (uint16_t channel = 0; channel < channels; ++channel) {
            const double value = ValueAt(signal, block, channel);
            // Full scale reaches both ends: +1 is the largest value, -1 the smallest.
            int64_t sample = value < 0 ? static_cast<int64_t>(std::lround(value * (maximum + 1)))
                                       : static_cast<int64_t>(std::lround(value * maximum));
            if (bitsPerSample == 8)
                sample += 128;
            for (std::size_t byte = 0; byte < bytesPerSample; ++byte)
                pcm.push_back(static_cast<uint8_t>(static_cast<uint64_t>(sample) >> (8 * byte)));
        }
    }
    return pcm;
}

} // namespace corvath::test
