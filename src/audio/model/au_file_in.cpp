#include "audio/model/au_file_in.h"

#include "audio/model/au_exception.h"

#include <algorithm>
#include <cmath>

namespace corvath {

void TAuFileIn::BeforeDestruction()
{
    ReleaseFile();
    TAuStreamedInput::BeforeDestruction();
}

uint32_t TAuFileIn::GetBitsPerSample()
{
    EnsureOpen();
    return bitsPerSample_;
}

uint32_t TAuFileIn::GetChannels()
{
    EnsureOpen();
    return channels_;
}

uint32_t TAuFileIn::GetSampleRate()
{
    EnsureOpen();
    return sampleRate_;
}

uint32_t TAuFileIn::GetTotalSeconds()
{
    EnsureOpen();
    const uint32_t bytesPerSecond = sampleRate_ * channels_ * (bitsPerSample_ / 8);
    if (bytesPerSecond == 0)
        return 0;
    return static_cast<uint32_t>(std::lround(static_cast<double>(size_) / bytesPerSecond));
}

int64_t TAuFileIn::GetSampleCount()
{
    EnsureOpen();
    const uint32_t frameBytes = channels_ * bitsPerSample_ / 8;
    totalFrames_ = size_ > 0 && frameBytes > 0 ? size_ / frameBytes : -1;
    return totalFrames_;
}

void TAuFileIn::SetStream(TAudioStream* stream)
{
    // Under the data lock, so a run cannot open between the check and the change.
    std::lock_guard lock(dataLock_);
    if (busy_)
        return;
    ReleaseFile();
    TAuStreamedInput::SetStream(stream);
}

void TAuFileIn::ForceClose()
{
    TAuStreamedInput::ForceClose();
    openCount_ = 0;
}

bool TAuFileIn::IsValid()
{
    if (!StreamAttached() && fileName_.empty())
        return false;
    if (seekable_)
        EnsureOpen();
    return valid_;
}

void TAuFileIn::SetFileName(const std::string& fileName)
{
    std::lock_guard lock(dataLock_);
    if (busy_)
        return;
    ReleaseFile();
    fileName_ = fileName;
}

void TAuFileIn::OpenSource()
{
    if (busy_)
        throw EAuException("The component is Busy");
    if (!StreamAttached() && fileName_.empty())
        throw EAuException("The file name is not assigned");
    busy_ = true;
    position_ = 0;
    EnsureOpen();
    frameBytes_ = static_cast<uint16_t>((channels_ * bitsPerSample_) >> 3);
    totalFrames_ = frameBytes_ > 0 ? size_ / frameBytes_ : 0;
    totalSeconds_ = sampleRate_ > 0 ? static_cast<uint32_t>(totalFrames_ / sampleRate_) : 0;

    if (StartSample() > 0) {
        // While busy, seeking counts from StartSample: frame 0 of the run is StartSample.
        SeekTo(0);
        position_ = 0;
    }
    bufferFirst_ = 1;
    bufferLast_ = 0;
    if (StartSample() == 0 && EndSample() == -1)
        return;

    int64_t last = 0;
    if (EndSample() == -1 || EndSample() >= totalFrames_) {
        SetEndSample(-1);
        last = totalFrames_ - 1;
    } else {
        last = EndSample();
    }
    totalFrames_ = std::max<int64_t>(0, last - StartSample() + 1);
    size_ = totalFrames_ * frameBytes_;
}

void TAuFileIn::CloseSource()
{
    ReleaseFile();
    SetStartSample(0);
    SetEndSample(-1);
    busy_ = false;
}

} // namespace corvath
