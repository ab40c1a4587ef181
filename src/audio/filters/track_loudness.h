#pragma once

#include "audio/filters/ebur128_library.h"
#include "tags/loudness.h"

#include <cstdint>
#include <span>
#include <vector>

namespace corvath {

/// One EBU R128 measurement of one track through libebur128: integrated loudness (gated, exact,
/// not the library's quantizing histogram mode) and sample peak. A mono track counts as dual
/// mono, so it gets the gain of its stereo copy.
///
/// One thread at a time; movable, so a measurement made on a worker can be handed to the main
/// thread once the worker is done with it.
class TrackLoudness {
public:
    /// Raises EAuException "libebur128.so.1 library could not be loaded." unless
    /// Ebur128Library() is available, or "Cannot measure the loudness of <n> channels at <r> Hz"
    /// when the library refuses the format.
    TrackLoudness(uint32_t channels, uint32_t sampleRate);
    TrackLoudness(const TrackLoudness&) = delete;
    TrackLoudness& operator=(const TrackLoudness&) = delete;
    /// A measurement moved from is good for nothing but being destroyed.
    TrackLoudness(TrackLoudness&&) noexcept = default;
    TrackLoudness& operator=(TrackLoudness&&) noexcept = default;

    /// Interleaved little-endian PCM as the sources deliver it: 8-bit unsigned, 16-, 24- or
    /// 32-bit signed. The bytes need not end on a frame: a part frame waits for the next call.
    /// Raises EAuException for another sample size, or when the library runs out of memory.
    void Add(std::span<const uint8_t> bytes, uint32_t bitsPerSample);

    /// The loudness of everything added so far (-infinity for silence or less than 400 ms) and
    /// the largest sample of any channel.
    Loudness Result() const;

    /// The library's state, for pooling tracks into an album.
    ebur128_state* State() const { return state_.get(); }

private:
    void AddFrames(const uint8_t* data, std::size_t frames, uint32_t bitsPerSample);
    void AddWidened(const uint8_t* data, std::size_t frames, uint32_t bitsPerSample);
    static void Check(int error);

    Ebur128StatePtr state_;
    uint32_t channels_;
    std::vector<uint8_t> partFrame_;
    std::vector<int32_t> widened_; // scratch for the sample sizes the library takes no pointer to
};

/// The loudness of the tracks taken as one album: their 400 ms blocks gated together (no block
/// spans two tracks), the largest track peak. Tracks without a loudness are left out of the
/// loudness, so a silent track does not change it; -infinity when no track has one.
Loudness AlbumLoudness(std::span<const TrackLoudness* const> tracks);

} // namespace corvath
