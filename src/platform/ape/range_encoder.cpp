#include "platform/ape/range_encoder.h"

#include <algorithm>
#include <array>
#include <bit>

namespace corvath::ape {

namespace {

constexpr uint32_t kTop = 1u << 31;
constexpr uint32_t kBottom = 1u << 23;
constexpr unsigned kShiftBits = 23;

constexpr unsigned kModelShift = 16;
constexpr uint32_t kEscapeSymbol = 63;
constexpr unsigned kRawFieldBits = 16;
constexpr uint32_t kMaxUniformTotal = 65536;

// The overflow model: symbols 0..20 have these frequencies, 21..63 one count each, the
// cumulative counts filling exactly 2^16.
constexpr std::array<uint32_t, 21> kLeadingFrequencies = {
    19578, 16582, 12257, 7906, 4576, 2366, 1170, 536, 261, 119, 65, 31, 19, 10, 6, 3, 3, 2, 1, 1, 1,
};

struct Symbol {
    uint32_t cum;
    uint32_t freq;
};

constexpr std::array<Symbol, 64> MakeModel()
{
    std::array<Symbol, 64> model{};
    uint32_t cum = 0;
    for (std::size_t s = 0; s < model.size(); ++s) {
        const uint32_t freq = s < kLeadingFrequencies.size() ? kLeadingFrequencies[s] : 1;
        model[s] = {cum, freq};
        cum += freq;
    }
    return model;
}

constexpr std::array<Symbol, 64> kModel = MakeModel();
static_assert(kModel[63].cum + kModel[63].freq == 1u << kModelShift);

} // namespace

void RangeEncoder::Begin(std::vector<uint8_t>& out)
{
    out_ = &out;
    out.push_back(0); // the dummy byte the decoder skips
    low_ = 0;
    range_ = kTop;
}

void RangeEncoder::Normalise()
{
    while (range_ <= kBottom) {
        out_->push_back(static_cast<uint8_t>(low_ >> kShiftBits));
        low_ = (low_ << 8) & (kTop - 1);
        range_ <<= 8;
    }
}

void RangeEncoder::Add(uint32_t unit, uint32_t cum, uint32_t freq)
{
    low_ += unit * cum;
    range_ = unit * freq;
    if (low_ & kTop) {
        low_ -= kTop;
        // The code value never leaves the first interval, so the ripple stops before the dummy.
        for (auto byte = out_->end() - 1; ++*byte == 0; --byte) {
        }
    }
}

void RangeEncoder::Encode(uint32_t cum, uint32_t freq, uint32_t total)
{
    Normalise();
    Add(range_ / total, cum, freq);
}

void RangeEncoder::EncodeShift(uint32_t cum, uint32_t freq, unsigned shift)
{
    Normalise();
    Add(range_ >> shift, cum, freq);
}

void RangeEncoder::Finish()
{
    // All 31 bits of low, left-aligned in four bytes: the decoder's window then holds exactly
    // low, which lies inside the final interval.
    out_->insert(out_->end(), {static_cast<uint8_t>(low_ >> 23), static_cast<uint8_t>(low_ >> 15),
                               static_cast<uint8_t>(low_ >> 7), static_cast<uint8_t>(low_ << 1)});
    out_ = nullptr;
}

void ResidualCoder::Encode(int32_t value, RangeEncoder& coder)
{
    // Fold the sign into the lowest bit; the most negative value takes the one code left over.
    const uint32_t bits = static_cast<uint32_t>(value);
    uint32_t folded;
    if (value > 0)
        folded = 2 * bits - 1;
    else
        folded = value == INT32_MIN ? UINT32_MAX : 0u - 2 * bits;

    const uint32_t pivot = std::max(magnitudeSum_ >> 5, 1u);
    const uint32_t overflow = folded / pivot;
    const uint32_t base = folded % pivot;

    if (overflow < kEscapeSymbol) {
        coder.EncodeShift(kModel[overflow].cum, kModel[overflow].freq, kModelShift);
    } else {
        coder.EncodeShift(kModel[kEscapeSymbol].cum, kModel[kEscapeSymbol].freq, kModelShift);
        coder.EncodeShift(overflow >> kRawFieldBits, 1, kRawFieldBits);
        coder.EncodeShift(overflow & 0xFFFF, 1, kRawFieldBits);
    }

    if (pivot < kMaxUniformTotal) {
        coder.Encode(base, 1, pivot);
    } else {
        // Totals stay within 16 bits: the high part first, then the low bits raw.
        const unsigned lowBits = static_cast<unsigned>(std::bit_width(pivot)) - 16;
        coder.Encode(base >> lowBits, 1, (pivot >> lowBits) + 1);
        coder.EncodeShift(base & ((1u << lowBits) - 1), 1, lowBits);
    }

    magnitudeSum_ += ((folded + 1) >> 1) - ((magnitudeSum_ + 16) >> 5);
}

} // namespace corvath::ape
