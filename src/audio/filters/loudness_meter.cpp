#include "audio/filters/loudness_meter.h"

#include "audio/model/au_exception.h"

#include <span>

namespace corvath {

TLoudnessMeter::TLoudnessMeter(TComponent* owner) : TAuConverter(owner)
{
    RequireLoaded(Ebur128Library());
}

uint32_t TLoudnessMeter::GetBitsPerSample()
{
    return input_ != nullptr ? input_->GetBitsPerSample() : 0;
}

uint32_t TLoudnessMeter::GetChannels()
{
    return input_ != nullptr ? input_->GetChannels() : 0;
}

uint32_t TLoudnessMeter::GetSampleRate()
{
    return input_ != nullptr ? input_->GetSampleRate() : 0;
}

uint32_t TLoudnessMeter::GetTotalSeconds()
{
    return input_ != nullptr ? input_->GetTotalSeconds() : 0;
}

int64_t TLoudnessMeter::GetSampleCount()
{
    return input_ != nullptr ? input_->GetSampleCount() : 0;
}

std::optional<TrackLoudness> TLoudnessMeter::TakeMeasurement()
{
    std::lock_guard lock(dataLock_);
    std::optional<TrackLoudness> taken;
    if (inputEnded_ && measurement_)
        taken.emplace(std::move(measurement_->Finish()));
    measurement_.reset();
    inputEnded_ = false;
    return taken;
}

std::optional<Loudness> TLoudnessMeter::FinishedLoudness()
{
    std::lock_guard lock(dataLock_);
    if (!inputEnded_ || !measurement_)
        return std::nullopt;
    return measurement_->Finish().Result();
}

void TLoudnessMeter::OpenSource()
{
    if (busy_)
        throw EAuException("The component is busy.");
    if (input_ == nullptr)
        throw EAuException("Input not assigned");
    input_->OpenForRun();
    measurement_.reset();
    inputEnded_ = false;
    bits_ = input_->GetBitsPerSample();
    try {
        TrackLoudness measurement(input_->GetChannels(), input_->GetSampleRate());
        // Nothing yet, but a sample size it cannot measure is refused here, not mid-run.
        measurement.Add({}, bits_);
        measurement_.emplace(std::move(measurement), bits_);
    } catch (...) {
        measurement_.reset();
        input_->EndRead();
        throw;
    }
    frameBytes_ = static_cast<uint16_t>(input_->GetChannels() * bits_ / 8);
    size_ = input_->Size();
    position_ = 0;
    busy_ = true;
}

void TLoudnessMeter::CloseSource()
{
    if (busy_ && input_ != nullptr)
        input_->EndRead();
    busy_ = false;
}

AudioChunk TLoudnessMeter::ReadChunk(uint32_t wanted)
{
    if (!busy_)
        throw EAuException("The Stream is not opened");
    if (input_ == nullptr)
        return {};
    const AudioChunk chunk = input_->ReadData(wanted);
    if (chunk.data == nullptr || chunk.bytes == 0) {
        inputEnded_ = true;
        return {};
    }
    measurement_->Add(std::span<const uint8_t>(chunk.data, chunk.bytes));
    return chunk;
}

} // namespace corvath
