#pragma once

#include "platform/acm/wave_format_record.h"

#include <cstdint>
#include <span>
#include <vector>

namespace corvath {

// The stand-in for the Audio Compression Manager, over FFmpeg. The calls keep no state
// between them, so any thread may make them.

/// Results of the compression manager, numbered like the Windows multimedia results so that
/// logs read the same on every platform.
enum AcmResult : uint32_t {
    kAcmOk = 0,
    /// Not one sample could be decoded from the data.
    kAcmError = 1,
    kAcmNoMemory = 7,
    /// No decoder for the source format, or a target it cannot produce.
    kAcmNotPossible = 512,
};

/// Suggests the format a source decodes to: PCM (tag 1), 16 bits, the source's sample rate
/// and channels, no extra bytes. The destination's format tag, set by the caller, restricts the
/// suggestion; PCM is the only format offered. Sources that decode: MPEG layer 3 (0x0055),
/// Microsoft ADPCM (0x0002), A-law (0x0006), mu-law (0x0007), IMA ADPCM (0x0011) and GSM 6.10
/// (0x0031). Returns kAcmOk, or kAcmNotPossible with the destination unchanged.
uint32_t AcmFormatSuggest(const WaveFormatRecord& source, WaveFormatRecord& destination);

/// Decodes a whole compressed body in one call into interleaved signed 16-bit little-endian
/// PCM as the destination describes (tag 1, 16 bits, any rate and channel count: the decoded
/// audio is resampled and remixed to it). pcm receives exactly the decoded samples. Packets
/// the decoder rejects are skipped. Returns kAcmOk; kAcmNotPossible for formats it cannot
/// handle, kAcmError when the body gives no samples, kAcmNoMemory; pcm is then empty.
uint32_t AcmConvert(const WaveFormatRecord& source, const WaveFormatRecord& destination,
                    std::span<const uint8_t> body, std::vector<uint8_t>& pcm);

} // namespace corvath
