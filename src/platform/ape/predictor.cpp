#include "platform/ape/predictor.h"

#include <algorithm>
#include <cassert>

namespace corvath::ape {

namespace {

constexpr int32_t kInitialOwnCoefficients[4] = {360, 317, -109, 98};
constexpr int kPredictionShift = 10;

int32_t Wrap32(int64_t value)
{
    return static_cast<int32_t>(value);
}

int32_t WrappedDifference(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

int32_t Sign(int32_t value)
{
    return (value > 0) - (value < 0);
}

// value minus 31/32 of the previous one, rounded down: a first-order high-pass.
int64_t HighPass(int32_t value, int32_t previous)
{
    return value - ((int64_t{31} * previous) >> 5);
}

// The low 32 bits of the exact dot product.
template <std::size_t N>
uint32_t WrappedDot(const int32_t (&coefficients)[N], const int32_t (&history)[N])
{
    uint32_t sum = 0;
    for (std::size_t k = 0; k < N; ++k)
        sum += static_cast<uint32_t>(coefficients[k]) * static_cast<uint32_t>(history[k]);
    return sum;
}

template <std::size_t N>
void Adapt(int32_t (&coefficients)[N], const int32_t (&history)[N], int32_t direction)
{
    for (std::size_t k = 0; k < N; ++k)
        coefficients[k] += direction * Sign(history[k]);
}

} // namespace

void ChannelPredictor::Reset()
{
    std::copy(std::begin(kInitialOwnCoefficients), std::end(kInitialOwnCoefficients),
              ownCoefficients_);
    std::fill(std::begin(otherCoefficients_), std::end(otherCoefficients_), 0);
    std::fill(std::begin(ownHistory_), std::end(ownHistory_), 0);
    std::fill(std::begin(otherHistory_), std::end(otherHistory_), 0);
    lastFiltered_ = filteredBefore_ = lastOther_ = lastOtherFiltered_ = lastTarget_ = 0;
}

int32_t ChannelPredictor::Residual(int32_t target, int32_t other)
{
    ownHistory_[3] = ownHistory_[2];
    ownHistory_[2] = ownHistory_[1];
    ownHistory_[1] = WrappedDifference(lastFiltered_, filteredBefore_);
    ownHistory_[0] = lastFiltered_;

    const int32_t otherFiltered = Wrap32(HighPass(other, lastOther_));
    lastOther_ = other;
    std::copy_backward(otherHistory_ + 1, otherHistory_ + 4, otherHistory_ + 5);
    otherHistory_[1] = WrappedDifference(otherFiltered, lastOtherFiltered_);
    otherHistory_[0] = otherFiltered;
    lastOtherFiltered_ = otherFiltered;

    const auto ownSum = WrappedDot(ownCoefficients_, ownHistory_);
    const auto otherSum = static_cast<int32_t>(WrappedDot(otherCoefficients_, otherHistory_));
    const auto prediction =
        static_cast<int32_t>(ownSum + static_cast<uint32_t>(otherSum >> 1)) >> kPredictionShift;

    const int32_t filtered = Wrap32(HighPass(target, lastTarget_));
    const int32_t residual = WrappedDifference(filtered, prediction);
    filteredBefore_ = lastFiltered_;
    lastFiltered_ = filtered;
    lastTarget_ = target;

    const int32_t direction = Sign(residual);
    Adapt(ownCoefficients_, ownHistory_, direction);
    Adapt(otherCoefficients_, otherHistory_, direction);
    return residual;
}

void StereoPredictor::Reset()
{
    y_.Reset();
    x_.Reset();
}

void StereoPredictor::Encode(std::span<const int32_t> y, std::span<const int32_t> x,
                             std::span<int32_t> yResidual, std::span<int32_t> xResidual)
{
    assert(x.size() == y.size() && yResidual.size() == y.size() && xResidual.size() == y.size());
    // Y sees X of the block before, X sees Y of its own block.
    int32_t previousX = 0;
    for (std::size_t i = 0; i < y.size(); ++i) {
        yResidual[i] = y_.Residual(y[i], previousX);
        xResidual[i] = x_.Residual(x[i], y[i]);
        previousX = x[i];
    }
}

void MonoPredictor::Encode(std::span<const int32_t> samples, std::span<int32_t> residual)
{
    assert(residual.size() == samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i)
        residual[i] = channel_.Residual(samples[i], 0);
}

} // namespace corvath::ape
