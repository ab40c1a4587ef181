#include "audio/filters/resampler.h"

#include "audio/model/au_exception.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>

namespace corvath {

namespace {

// The 16-bit buffers are handed out and read in as bytes.
static_assert(std::endian::native == std::endian::little);

constexpr uint32_t kPcmSamples = 1u << 20;
constexpr uint32_t kPcmBytes = kPcmSamples * 2;
constexpr uint32_t kSliceBytes = 1u << 20;
constexpr uint32_t kMinOutRate = 2001;
constexpr uint32_t kMaxOutRate = 999999;
constexpr uint32_t kDefaultOutRate = 44100;

int ConverterType(TResamplerQuality quality)
{
    switch (quality) {
    case rqBest:
        return SRC_SINC_BEST_QUALITY;
    case rqMedium:
        return SRC_SINC_MEDIUM_QUALITY;
    case rqFastest:
        break;
    }
    return SRC_SINC_FASTEST;
}

int16_t ToSample(float value)
{
    // Overshoot of the sinc filter past full scale is clamped: wrapping would click.
    const float scaled = std::floor(value * 32768.0f);
    return static_cast<int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

/// The announced size of a resampled input of inSize bytes; -1 stays unknown.
int64_t ResampledSize(int64_t inSize, uint32_t inRate, uint32_t outRate, uint32_t channels,
                      uint32_t bits)
{
    if (inSize < 0)
        return -1;
    // nearbyint rounds ties to even in the default rounding mode.
    double size = std::nearbyint(static_cast<double>(inSize) * outRate / inRate);
    uint32_t frameBytes = channels * bits / 8;
    if (bits == 24) {
        size = std::nearbyint(size * 2 / 3);
        frameBytes = channels * 2;
    }
    const auto bytes = static_cast<int64_t>(size);
    return frameBytes == 0 ? bytes : bytes - bytes % frameBytes;
}

} // namespace

TResampler::TResampler(TComponent* owner)
    : TAuConverter(owner), inPcm_(kPcmSamples), outPcm_(kPcmSamples), inFloat_(kPcmSamples),
      outFloat_(2 * kPcmSamples)
{
    RequireLoaded(SamplerateLibrary());
}

void TResampler::SetQuality(TResamplerQuality quality)
{
    if (!busy_)
        quality_ = quality;
}

void TResampler::SetOutSampleRate(uint32_t rate)
{
    if (!busy_)
        outSampleRate_ = rate >= kMinOutRate && rate <= kMaxOutRate ? rate : kDefaultOutRate;
}

TAuInput& TResampler::RequireInput() const
{
    if (input_ == nullptr)
        throw EAuException("Input not assigned");
    return *input_;
}

bool TResampler::PassesThrough() const
{
    // Decided from the rates, not from the last open, so a query before the first open
    // already reports what the run will deliver.
    return busy_ ? passThrough_ : RequireInput().GetSampleRate() == outSampleRate_;
}

uint32_t TResampler::GetBitsPerSample()
{
    const uint32_t bits = RequireInput().GetBitsPerSample();
    return bits == 24 && !PassesThrough() ? 16 : bits;
}

uint32_t TResampler::GetChannels()
{
    return RequireInput().GetChannels();
}

void TResampler::OpenSource()
{
    if (busy_)
        throw EAuException("The component is busy.");
    TAuInput& input = RequireInput();
    input.OpenForRun();
    try {
        StartConverter(input);
    } catch (...) {
        // A refused open leaves nothing behind for the next one.
        input.EndRead();
        throw;
    }
    inputEnded_ = false;
    converterDone_ = false;
    inFill_ = 0;
    outNext_ = outEnd_ = 0;
    position_ = 0;
    busy_ = true;
}

void TResampler::StartConverter(TAuInput& input)
{
    const SamplerateApi& api = SamplerateLibrary().Functions();
    const uint32_t inRate = input.GetSampleRate();
    ratio_ = inRate == 0 ? 0.0 : static_cast<double>(outSampleRate_) / inRate;
    if (api.isValidRatio(ratio_) == 0)
        throw EAuException("Frequences ratio " + std::to_string(std::lround(ratio_)) +
                           " is invalid");

    channels_ = input.GetChannels();
    inBits_ = input.GetBitsPerSample();
    // The library asserts on zero channels instead of reporting an error.
    int error = 0;
    state_.reset();
    if (channels_ != 0)
        state_.reset(api.newState(ConverterType(quality_), static_cast<int>(channels_), &error));
    if (error != 0 || state_ == nullptr)
        throw EAuException("Failed to initialize the resampler");

    passThrough_ = inRate == outSampleRate_;
    size_ = passThrough_ ? input.Size()
                         : ResampledSize(input.Size(), inRate, outSampleRate_, channels_, inBits_);
    frameBytes_ = static_cast<uint16_t>(channels_ * GetBitsPerSample() / 8);
}

void TResampler::CloseSource()
{
    if (input_ != nullptr)
        input_->EndRead();
    state_.reset();
    busy_ = false;
}

AudioChunk TResampler::ReadChunk(uint32_t wanted)
{
    if (passThrough_)
        return input_ != nullptr ? input_->ReadData(wanted) : AudioChunk{};
    if (outNext_ == outEnd_)
        Refill();
    uint32_t bytes = std::min(wanted, outEnd_ - outNext_);
    if (const int64_t due = DueSize(); due >= 0)
        bytes = static_cast<uint32_t>(std::min<int64_t>(bytes, due - position_));
    if (bytes == 0)
        return {};
    uint8_t* data = reinterpret_cast<uint8_t*>(outPcm_.data()) + outNext_;
    outNext_ += bytes;
    return {data, bytes};
}

void TResampler::Refill()
{
    outNext_ = outEnd_ = 0;
    while (!converterDone_ && input_ != nullptr) {
        if (!inputEnded_ && inFill_ < kPcmBytes)
            TopUp();
        const uint32_t consumed = ConvertSlice();
        if (outEnd_ > 0)
            return;
        // Nothing came out: either the end was flushed or the library takes no more.
        if (inputEnded_ || consumed == 0)
            converterDone_ = true;
    }
    FillSilence();
}

void TResampler::TopUp()
{
    auto* free = reinterpret_cast<uint8_t*>(inPcm_.data()) + inFill_;
    const uint32_t space = kPcmBytes - inFill_;
    bool atEnd = false;
    uint32_t added = 0;
    if (inBits_ == 8) {
        const uint32_t got = input_->ReadFull(free, space / 2, atEnd);
        // Backwards, so every byte is read before its place is written.
        for (uint32_t i = got; i-- > 0;) {
            const auto sample = static_cast<int16_t>((free[i] << 8) - 32768);
            std::memcpy(free + 2 * i, &sample, sizeof sample);
        }
        added = 2 * got;
    } else if (inBits_ == 24) {
        const uint32_t got = input_->ReadFull(free, space / 6 * 6, atEnd);
        // Forwards: the upper two bytes of sample k lie at or after its 16-bit place.
        for (uint32_t k = 0; k < got / 3; ++k)
            std::memmove(free + 2 * k, free + 3 * k + 1, 2);
        added = got / 3 * 2;
    } else {
        added = input_->ReadFull(free, space, atEnd);
    }
    inFill_ += added;
    if (atEnd || added == 0) {
        inputEnded_ = true;
        // A partial frame at the end has nothing to pair with.
        inFill_ -= inFill_ % (channels_ * 2);
    }
}

uint32_t TResampler::ConvertSlice()
{
    const SamplerateApi& api = SamplerateLibrary().Functions();
    const uint32_t frameBytes = channels_ * 2;
    const uint32_t bytes = std::min(inFill_, kSliceBytes) / frameBytes * frameBytes;
    api.shortToFloat(inPcm_.data(), inFloat_.data(), static_cast<int>(bytes / 2));

    SRC_DATA data{};
    data.data_in = inFloat_.data();
    data.data_out = outFloat_.data();
    data.input_frames = bytes / frameBytes;
    data.output_frames = kPcmSamples / channels_;
    data.end_of_input = inputEnded_ && inFill_ <= kSliceBytes ? 1 : 0;
    data.src_ratio = ratio_;
    if (const int error = api.process(state_.get(), &data); error != 0) {
        converterDone_ = true;
        inputEnded_ = true;
        throw EAuException(api.strError(error));
    }

    const auto samples = static_cast<uint32_t>(data.output_frames_gen) * channels_;
    std::transform(outFloat_.begin(), outFloat_.begin() + samples, outPcm_.begin(), ToSample);
    outEnd_ = samples * 2;
    const auto consumed = static_cast<uint32_t>(data.input_frames_used) * frameBytes;
    auto* in = reinterpret_cast<uint8_t*>(inPcm_.data());
    std::memmove(in, in + consumed, inFill_ - consumed);
    inFill_ -= consumed;
    if (inBits_ == 8)
        NarrowOutputTo8Bits(samples);
    return consumed;
}

void TResampler::NarrowOutputTo8Bits(uint32_t samples)
{
    auto* out = reinterpret_cast<uint8_t*>(outPcm_.data());
    for (uint32_t i = 0; i < samples; ++i)
        out[i] = static_cast<uint8_t>((outPcm_[i] + 32768) >> 8);
    outEnd_ = samples;
}

int64_t TResampler::DueSize() const
{
    if (!inputEnded_)
        return size_;
    // Once the input has ended, the length of the sound that really came: an input that ended
    // early is not stretched to its announced length.
    return std::min<int64_t>(size_, ResampledSize(input_->Position(), input_->GetSampleRate(),
                                                  outSampleRate_, channels_, inBits_));
}

void TResampler::FillSilence()
{
    const int64_t due = DueSize();
    if (due < 0 || position_ >= due)
        return;
    // Unsigned 8-bit silence is the mid value; zero bytes there would be a full-scale step.
    const uint8_t silence = inBits_ == 8 ? 0x80 : 0;
    outEnd_ = static_cast<uint32_t>(std::min<int64_t>(due - position_, kPcmBytes));
    std::memset(outPcm_.data(), silence, outEnd_);
}

} // namespace corvath
