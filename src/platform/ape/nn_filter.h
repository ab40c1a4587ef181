#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace corvath::ape {

/// One adaptive FIR stage of the filter cascade, run in the encoding direction: it predicts
/// each value from its last taps values (saturated to 16 bits) and passes on the prediction
/// error, adapting its coefficients by sign after every value.
class NNFilter {
public:
    /// taps: 16, 32, 64 or 256; fractionBits: the fixed-point scale of the coefficients.
    NNFilter(int taps, int fractionBits);

    /// The state every frame starts from.
    void Reset();

    /// Replaces each value, in order, by the input the decoding stage needs to output it.
    void Encode(std::span<int32_t> values);

private:
    template <int Taps> void EncodeWith(std::span<int32_t> values);

    void Push(int32_t output);

    int taps_;
    int fractionBits_;
    std::vector<int16_t> coefficients_;
    // The last taps outputs and their adaptation steps end at position_ - 1; the buffers are
    // longer than taps so that the window slides and is copied back only when it reaches the end.
    std::vector<int16_t> history_;
    std::vector<int16_t> adaptation_;
    std::size_t position_ = 0;
    uint32_t average_ = 0; // running mean of the outputs' magnitudes
};

} // namespace corvath::ape
