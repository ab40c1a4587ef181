#include "audio/filters/track_loudness.h"

#include "audio/model/au_exception.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <string>

namespace corvath {

namespace {

// The library reads the delivered buffers as native integers.
static_assert(std::endian::native == std::endian::little);

// Frames widened at a time, so the scratch buffer stays small whatever the chunk size.
constexpr std::size_t kWidenFrames = 4096;

bool AlignedFor(const uint8_t* data, std::size_t alignment)
{
    return reinterpret_cast<std::uintptr_t>(data) % alignment == 0;
}

// One sample as a 32-bit integer with full scale at 2^31, the library's scale for int input.
int32_t Widened(const uint8_t* s, uint32_t bitsPerSample)
{
    switch (bitsPerSample) {
    case 8:
        return static_cast<int32_t>(static_cast<uint32_t>(s[0] ^ 0x80u) << 24);
    case 16:
        return static_cast<int32_t>(static_cast<uint32_t>(s[0] << 16 | s[1] << 24));
    case 24:
        return static_cast<int32_t>(static_cast<uint32_t>(s[0] << 8 | s[1] << 16 | s[2] << 24));
    default:
        return static_cast<int32_t>(static_cast<uint32_t>(s[0] | s[1] << 8 | s[2] << 16) |
                                    static_cast<uint32_t>(s[3]) << 24);
    }
}

} // namespace

TrackLoudness::TrackLoudness(uint32_t channels, uint32_t sampleRate) : channels_(channels)
{
    RequireLoaded(Ebur128Library());
    const Ebur128Api& api = Ebur128Library().Functions();
    // Integrated loudness without the histogram mode: that one rounds to 0.1 LU steps.
    if (channels != 0 && sampleRate != 0)
        state_.reset(api.init(channels, sampleRate, EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK));
    if (state_ == nullptr)
        throw EAuException("Cannot measure the loudness of " + std::to_string(channels) +
                           " channels at " + std::to_string(sampleRate) + " Hz");
    // BS.1770 counts a lone channel once; a mono rip should play as loud as its stereo source.
    if (channels == 1)
        Check(api.setChannel(state_.get(), 0, EBUR128_DUAL_MONO));
}

void TrackLoudness::Add(std::span<const uint8_t> bytes, uint32_t bitsPerSample)
{
    if (bitsPerSample != 8 && bitsPerSample != 16 && bitsPerSample != 24 && bitsPerSample != 32)
        throw EAuException("Cannot measure the loudness of " + std::to_string(bitsPerSample) +
                           "-bit samples");
    const std::size_t frameBytes = std::size_t{channels_} * bitsPerSample / 8;
    if (!partFrame_.empty()) {
        const std::size_t taken = std::min(frameBytes - partFrame_.size(), bytes.size());
        partFrame_.insert(partFrame_.end(), bytes.begin(), bytes.begin() + taken);
        bytes = bytes.subspan(taken);
        if (partFrame_.size() < frameBytes)
            return;
        AddFrames(partFrame_.data(), 1, bitsPerSample);
        partFrame_.clear();
    }
    const std::size_t frames = bytes.size() / frameBytes;
    AddFrames(bytes.data(), frames, bitsPerSample);
    partFrame_.assign(bytes.begin() + frames * frameBytes, bytes.end());
}

void TrackLoudness::AddFrames(const uint8_t* data, std::size_t frames, uint32_t bitsPerSample)
{
    if (frames == 0)
        return;
    const Ebur128Api& api = Ebur128Library().Functions();
    // The sizes the library reads in place cost no copy.
    if (bitsPerSample == 16 && AlignedFor(data, alignof(short)))
        Check(api.addFramesShort(state_.get(), reinterpret_cast<const short*>(data), frames));
    else if (bitsPerSample == 32 && AlignedFor(data, alignof(int)))
        Check(api.addFramesInt(state_.get(), reinterpret_cast<const int*>(data), frames));
    else
        AddWidened(data, frames, bitsPerSample);
}

void TrackLoudness::AddWidened(const uint8_t* data, std::size_t frames, uint32_t bitsPerSample)
{
    const std::size_t sampleBytes = bitsPerSample / 8;
    widened_.resize(kWidenFrames * channels_);
    while (frames > 0) {
        const std::size_t slice = std::min(frames, kWidenFrames);
        const std::size_t samples = slice * channels_;
        for (std::size_t i = 0; i < samples; ++i)
            widened_[i] = Widened(data + i * sampleBytes, bitsPerSample);
        Check(Ebur128Library().Functions().addFramesInt(state_.get(), widened_.data(), slice));
        data += samples * sampleBytes;
        frames -= slice;
    }
}

Loudness TrackLoudness::Result() const
{
    const Ebur128Api& api = Ebur128Library().Functions();
    Loudness result{-HUGE_VAL, 0.0};
    Check(api.loudnessGlobal(state_.get(), &result.lufs));
    for (uint32_t channel = 0; channel < channels_; ++channel) {
        double peak = 0.0;
        Check(api.samplePeak(state_.get(), channel, &peak));
        result.peak = std::max(result.peak, peak);
    }
    return result;
}

void TrackLoudness::Check(int error)
{
    if (error != EBUR128_SUCCESS)
        throw EAuException("The loudness measurement failed (libebur128 error " +
                           std::to_string(error) + ")");
}

Loudness AlbumLoudness(std::span<const TrackLoudness* const> tracks)
{
    Loudness album{-HUGE_VAL, 0.0};
    std::vector<ebur128_state*> states;
    for (const TrackLoudness* track : tracks) {
        const Loudness loudness = track->Result();
        album.peak = std::max(album.peak, loudness.peak);
        if (std::isfinite(loudness.lufs))
            states.push_back(track->State());
    }
    if (!states.empty() && Ebur128Library().Functions().loudnessGlobalMultiple(
                               states.data(), states.size(), &album.lufs) != EBUR128_SUCCESS)
        throw EAuException("The album loudness measurement failed");
    return album;
}

} // namespace corvath
