#pragma once

#include <cstdint>
#include <vector>

namespace corvath::ape {

/// The frame's arithmetic coder: a 31-bit range coder whose carries ripple back into the bytes
/// already written. One coder serves every frame in turn (Begin starts afresh).
class RangeEncoder {
public:
    /// Starts coding onto the end of out with the dummy byte; out must outlive the coding.
    void Begin(std::vector<uint8_t>& out);

    /// Codes the interval [cum, cum + freq) of total (at most 65536).
    void Encode(uint32_t cum, uint32_t freq, uint32_t total);

    /// Codes the interval [cum, cum + freq) of 2^shift (shift at most 16).
    void EncodeShift(uint32_t cum, uint32_t freq, unsigned shift);

    /// Writes the 4 bytes that leave the decoder on the final code value; nothing more may be
    /// coded until the next Begin.
    void Finish();

private:
    void Normalise();
    void Add(uint32_t unit, uint32_t cum, uint32_t freq);

    std::vector<uint8_t>* out_ = nullptr;
    uint32_t low_ = 0; // bit 31: a carry not yet added to the output
    uint32_t range_ = 0;
};

/// Codes one channel's residuals: each value is split by a pivot that follows the channel's
/// recent magnitudes into an overflow symbol of a fixed model and a uniform remainder.
class ResidualCoder {
public:
    /// The state every frame starts from.
    void Reset() { magnitudeSum_ = kInitialMagnitudeSum; }

    void Encode(int32_t value, RangeEncoder& coder);

private:
    static constexpr uint32_t kInitialMagnitudeSum = 16384;
    uint32_t magnitudeSum_ = kInitialMagnitudeSum;
};

} // namespace corvath::ape
