#include "audio/filters/audio_converter.h"

#include "audio/model/au_exception.h"

#include <algorithm>
#include <cstring>

namespace corvath {

namespace {

// Bytes asked of the input per refill, cut down to whole input frames.
constexpr uint32_t kChunkBytes = 12288;

int32_t ReadSample(const uint8_t* p, uint32_t bytes)
{
    switch (bytes) {
    case 1:
        return p[0];
    case 2:
        return static_cast<int16_t>(p[0] | p[1] << 8);
    default:
        return static_cast<int32_t>(static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) << 8) >> 8;
    }
}

void WriteSample(uint8_t* p, uint32_t bytes, int32_t value)
{
    for (uint32_t i = 0; i < bytes; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Two channels into one, front to back: each frame's average on the same sample size.
uint32_t StereoToMono(uint8_t* data, uint32_t n, uint32_t sampleBytes)
{
    const uint32_t frames = n / (2 * sampleBytes);
    for (uint32_t i = 0; i < frames; ++i) {
        const uint8_t* frame = data + 2 * i * sampleBytes;
        const int32_t sum =
            ReadSample(frame, sampleBytes) + ReadSample(frame + sampleBytes, sampleBytes);
        // 16-bit halves toward zero; 8-bit (unsigned) and 24-bit shift.
        WriteSample(data + i * sampleBytes, sampleBytes, sampleBytes == 2 ? sum / 2 : sum >> 1);
    }
    return frames * sampleBytes;
}

// One channel into two, back to front so that the wider frames never overwrite unread samples.
uint32_t MonoToStereo(uint8_t* data, uint32_t n, uint32_t sampleBytes, TMSConverterMode mode)
{
    const uint32_t samples = n / sampleBytes;
    // Silence is the midpoint: 128 for unsigned 8-bit, 0 for signed samples.
    const int32_t silence = sampleBytes == 1 ? 128 : 0;
    for (uint32_t i = samples; i-- > 0;) {
        const int32_t sample = ReadSample(data + i * sampleBytes, sampleBytes);
        uint8_t* frame = data + 2 * i * sampleBytes;
        WriteSample(frame, sampleBytes, mode == msmMonoToRight ? silence : sample);
        WriteSample(frame + sampleBytes, sampleBytes, mode == msmMonoToLeft ? silence : sample);
    }
    return samples * 2 * sampleBytes;
}

uint32_t Narrow24To16(uint8_t* data, uint32_t n)
{
    const uint32_t samples = n / 3;
    for (uint32_t i = 0; i < samples; ++i) {
        data[2 * i] = data[3 * i + 1];
        data[2 * i + 1] = data[3 * i + 2];
    }
    return samples * 2;
}

uint32_t Widen8To16(uint8_t* data, uint32_t n)
{
    for (uint32_t i = n; i-- > 0;)
        WriteSample(data + 2 * i, 2, (data[i] << 8) - 32768);
    return n * 2;
}

uint32_t Narrow16To8(uint8_t* data, uint32_t n)
{
    const uint32_t samples = n / 2;
    for (uint32_t i = 0; i < samples; ++i)
        data[i] = static_cast<uint8_t>((ReadSample(data + 2 * i, 2) + 32768) >> 8);
    return samples;
}

uint32_t Widen16To24(uint8_t* data, uint32_t n)
{
    const uint32_t samples = n / 2;
    for (uint32_t i = samples; i-- > 0;) {
        const uint8_t low = data[2 * i];
        const uint8_t high = data[2 * i + 1];
        data[3 * i] = 0;
        data[3 * i + 1] = low;
        data[3 * i + 2] = high;
    }
    return samples * 3;
}

bool Supported(uint32_t bits, uint32_t channels)
{
    return (bits == 8 || bits == 16 || bits == 24) && (channels == 1 || channels == 2);
}

} // namespace

void TAudioConverter::SetOutBitsPerSample(uint32_t bits)
{
    if (bits != 0 && !Supported(bits, 1))
        throw EAuException("Output sample size must be 8, 16 or 24 bits");
    SetWhileIdle(outBits_, bits);
}

void TAudioConverter::SetOutChannels(uint32_t channels)
{
    if (channels != 0 && !Supported(8, channels))
        throw EAuException("Output must have one or two channels");
    SetWhileIdle(outChannels_, channels);
}

uint32_t TAudioConverter::GetBitsPerSample()
{
    if (outBits_ != 0)
        return outBits_;
    return input_ != nullptr ? input_->GetBitsPerSample() : 0;
}

uint32_t TAudioConverter::GetChannels()
{
    if (outChannels_ != 0)
        return outChannels_;
    return input_ != nullptr ? input_->GetChannels() : 0;
}

uint32_t TAudioConverter::GetSampleRate()
{
    return input_ != nullptr ? input_->GetSampleRate() : 0;
}

void TAudioConverter::OpenSource()
{
    if (input_ == nullptr)
        throw EAuException("Input is not assigned");
    input_->OpenForRun();
    inBits_ = input_->GetBitsPerSample();
    inChannels_ = input_->GetChannels();
    runBits_ = GetBitsPerSample();
    runChannels_ = GetChannels();
    inFrameBytes_ = inBits_ * inChannels_ / 8;
    const uint32_t outFrameBytes = runBits_ * runChannels_ / 8;
    const bool converts = inBits_ != runBits_ || inChannels_ != runChannels_;
    if (inFrameBytes_ == 0 || outFrameBytes == 0 ||
        (converts && !Supported(inBits_, inChannels_))) {
        input_->EndRead();
        throw EAuException("Unsupported input format for conversion");
    }
    busy_ = true;
    position_ = 0;
    inputEnded_ = false;
    window_ = nullptr;
    next_ = 0;
    end_ = 0;
    chunkBytes_ = kChunkBytes - kChunkBytes % inFrameBytes_;

    inPlace_ = inFrameBytes_ > outFrameBytes && inBits_ != 24;
    if (!inPlace_) {
        // Room for the widest intermediate stage: 24-bit mono to 8-bit stereo first doubles.
        const uint32_t widest =
            std::max({inFrameBytes_, outFrameBytes, inBits_ / 8 * runChannels_});
        own_.resize(static_cast<std::size_t>(chunkBytes_ / inFrameBytes_) * widest);
    }

    // Counted in whole frames: a trailing part frame of the input is never delivered.
    const int64_t inSize = input_->Size();
    size_ = inSize < 0 ? -1 : inSize / inFrameBytes_ * outFrameBytes;
}

void TAudioConverter::CloseSource()
{
    if (busy_ && input_ != nullptr)
        input_->EndRead();
    std::vector<uint8_t>().swap(own_);
    window_ = nullptr;
    busy_ = false;
}

AudioChunk TAudioConverter::ReadChunk(uint32_t wanted)
{
    if (!busy_)
        throw EAuException("The Stream is not opened");
    if (next_ >= end_ && Refill() == 0)
        return {};
    const uint32_t bytes = std::min(wanted, end_ - next_);
    uint8_t* data = window_ + next_;
    next_ += bytes;
    return {data, bytes};
}

uint32_t TAudioConverter::Refill()
{
    uint32_t n = 0;
    // A part frame alone is dropped; the input is expected to deliver whole frames.
    while (n == 0 && !inputEnded_) {
        if (inPlace_) {
            const AudioChunk chunk = input_->ReadData(chunkBytes_);
            inputEnded_ = chunk.data == nullptr || chunk.bytes == 0;
            window_ = chunk.data;
            n = inputEnded_ ? 0 : chunk.bytes;
        } else {
            bool atEnd = false;
            n = input_->ReadFull(own_.data(), chunkBytes_, atEnd);
            inputEnded_ = atEnd;
            window_ = own_.data();
        }
        n -= n % inFrameBytes_;
    }
    next_ = 0;
    end_ = n == 0 ? 0 : Convert(window_, n);
    return end_;
}

uint32_t TAudioConverter::Convert(uint8_t* data, uint32_t n) const
{
    const uint32_t inSampleBytes = inBits_ / 8;
    if (inChannels_ == 2 && runChannels_ == 1)
        n = StereoToMono(data, n, inSampleBytes);
    else if (inChannels_ == 1 && runChannels_ == 2)
        n = MonoToStereo(data, n, inSampleBytes, mode_);
    if (inBits_ == 24 && runBits_ != 24)
        n = Narrow24To16(data, n);
    if (inBits_ == 8 && runBits_ != 8)
        n = Widen8To16(data, n);
    else if (inBits_ != 8 && runBits_ == 8)
        n = Narrow16To8(data, n);
    if (inBits_ != 24 && runBits_ == 24)
        n = Widen16To24(data, n);
    return n;
}

} // namespace corvath
