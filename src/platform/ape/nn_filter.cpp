#include "platform/ape/nn_filter.h"

#include <algorithm>
#include <stdexcept>

namespace corvath::ape {

namespace {

// Outputs kept between two copies of the window back to the start of its buffer.
constexpr std::size_t kSlideRoom = 2048;

int16_t Saturate16(int32_t value)
{
    return static_cast<int16_t>(std::clamp<int32_t>(value, INT16_MIN, INT16_MAX));
}

// Moves every coefficient by its adaptation step (16-bit wrap-around). The buffers never
// overlap; saying so lets the loop vectorise without run-time checks.
template <int Taps, int Direction>
void Adapt(int16_t* __restrict coefficients, const int16_t* __restrict adaptation)
{
    for (int j = 0; j < Taps; ++j)
        coefficients[j] = static_cast<int16_t>(coefficients[j] + Direction * adaptation[j]);
}

} // namespace

NNFilter::NNFilter(int taps, int fractionBits)
    : taps_(taps), fractionBits_(fractionBits), coefficients_(taps), history_(taps + kSlideRoom),
      adaptation_(taps + kSlideRoom)
{
    if (taps != 16 && taps != 32 && taps != 64 && taps != 256)
        throw std::invalid_argument("unsupported filter size");
    Reset();
}

void NNFilter::Reset()
{
    std::fill(coefficients_.begin(), coefficients_.end(), 0);
    std::fill(history_.begin(), history_.begin() + taps_, 0);
    std::fill(adaptation_.begin(), adaptation_.begin() + taps_, 0);
    position_ = taps_;
    average_ = 0;
}

void NNFilter::Encode(std::span<int32_t> values)
{
    // A fixed tap count lets the compiler vectorise the loops completely.
    switch (taps_) {
    case 16:
        return EncodeWith<16>(values);
    case 32:
        return EncodeWith<32>(values);
    case 64:
        return EncodeWith<64>(values);
    default:
        return EncodeWith<256>(values);
    }
}

template <int Taps> void NNFilter::EncodeWith(std::span<int32_t> values)
{
    int16_t* const coefficients = coefficients_.data();
    const int64_t rounding = int64_t{1} << (fractionBits_ - 1);
    for (int32_t& value : values) {
        const int16_t* const history = history_.data() + position_ - Taps;
        const int16_t* const adaptation = adaptation_.data() + position_ - Taps;

        // The decoder sums in 32 bits and lets the sum wrap.
        uint32_t dot = 0;
        for (int j = 0; j < Taps; ++j)
            dot += static_cast<uint32_t>(coefficients[j] * history[j]);
        const auto prediction =
            static_cast<int32_t>((static_cast<int32_t>(dot) + rounding) >> fractionBits_);

        const int32_t output = value;
        value =
            static_cast<int32_t>(static_cast<uint32_t>(output) - static_cast<uint32_t>(prediction));
        if (value > 0)
            Adapt<Taps, -1>(coefficients, adaptation);
        else if (value < 0)
            Adapt<Taps, 1>(coefficients, adaptation);
        Push(output);
    }
}

void NNFilter::Push(int32_t output)
{
    if (position_ == history_.size()) {
        std::copy(history_.end() - taps_, history_.end(), history_.begin());
        std::copy(adaptation_.end() - taps_, adaptation_.end(), adaptation_.begin());
        position_ = taps_;
    }

    const uint32_t magnitude =
        output < 0 ? 0u - static_cast<uint32_t>(output) : static_cast<uint32_t>(output);
    int16_t step = 0;
    if (output != 0) {
        if (magnitude > uint64_t{3} * average_)
            step = 32;
        else if (magnitude > average_ + average_ / 3)
            step = 16;
        else
            step = 8;
        if (output > 0)
            step = static_cast<int16_t>(-step);
    }
    average_ += static_cast<uint32_t>(static_cast<int32_t>(magnitude - average_) / 16);

    // Older steps weigh less: each is halved as it becomes the 2nd, 3rd and 9th newest.
    int16_t* const adaptation = adaptation_.data() + position_;
    adaptation[-1] = static_cast<int16_t>(adaptation[-1] >> 1);
    adaptation[-2] = static_cast<int16_t>(adaptation[-2] >> 1);
    adaptation[-8] = static_cast<int16_t>(adaptation[-8] >> 1);
    adaptation[0] = step;
    history_[position_] = Saturate16(output);
    ++position_;
}

} // namespace corvath::ape
