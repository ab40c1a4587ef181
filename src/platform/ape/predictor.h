#pragma once

#include <cstdint>
#include <span>

namespace corvath::ape {

/// The first prediction stage of one coded channel, run in the encoding direction: a first-order
/// pre-filter, then a sign-adapted predictor from the channel's own past and, for stereo, from
/// the other channel's pre-filtered values. Sums are kept to 32 bits, as the decoder does at the
/// compression levels we write.
class ChannelPredictor {
public:
    ChannelPredictor() { Reset(); }

    /// The state every frame starts from.
    void Reset();

    /// The residual for the channel's next value target, given the other channel's latest value
    /// (0 for mono).
    int32_t Residual(int32_t target, int32_t other);

private:
    int32_t ownCoefficients_[4];
    int32_t otherCoefficients_[5];
    int32_t ownHistory_[4];   // the last value, its change, then the two changes before
    int32_t otherHistory_[5]; // the other channel's latest value, its change, three older changes
    int32_t lastFiltered_;
    int32_t filteredBefore_;
    int32_t lastOther_;
    int32_t lastOtherFiltered_;
    int32_t lastTarget_;
};

/// Residuals of the difference (Y) and sum (X) channels of a stereo frame.
class StereoPredictor {
public:
    void Reset();

    /// Fills yResidual and xResidual (each as long as y and x) block by block.
    void Encode(std::span<const int32_t> y, std::span<const int32_t> x,
                std::span<int32_t> yResidual, std::span<int32_t> xResidual);

private:
    ChannelPredictor y_;
    ChannelPredictor x_;
};

/// Residuals of a mono frame.
class MonoPredictor {
public:
    void Reset() { channel_.Reset(); }

    /// Fills residual (as long as samples).
    void Encode(std::span<const int32_t> samples, std::span<int32_t> residual);

private:
    ChannelPredictor channel_;
};

} // namespace corvath::ape
