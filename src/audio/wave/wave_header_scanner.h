#pragma once

#include "audio/wave/wav_type.h"
#include "platform/files/audio_stream.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace corvath {

/// Header bytes a WAV file may have before its sample data; longer headers are not accepted.
inline constexpr std::size_t kMaxWaveHeaderBytes = 8192;

/// A fmt chunk shorter than this lacks the fields every reader needs (up to bits per sample).
inline constexpr std::size_t kMinWaveFmtBytes = 16;

/// How the caller reads a fmt chunk.
struct TFmtVerdict {
    TWavType kind = wtUnsupported; ///< wtUnsupported ends the scan
    bool needsFact = false;        ///< the sample count is in a fact chunk before the data
};

/// Receives the fmt body, at least kMinWaveFmtBytes long; fields beyond that need a length check.
using TFmtInterpreter = std::function<TFmtVerdict(std::span<const uint8_t> fmtBody)>;

/// What the scanner found. Offsets are stream positions; on a stream that cannot seek they count
/// from where the scan began.
struct TWaveHeader {
    TWavType kind = wtUnsupported; ///< the verdict's kind, or wtUnsupported when the scan failed
    std::vector<uint8_t> fmt;      ///< the fmt body as stored
    uint32_t factFrames = 0;       ///< sample frames from the fact chunk, when one was needed
    int64_t factValueOffset = -1;  ///< where those 4 bytes are, -1 without a fact chunk
    uint32_t dataSize = 0;         ///< the data chunk's stored size
    int64_t dataSizeOffset = -1;   ///< where the data chunk's size field is
    int64_t dataStart = -1;        ///< the first byte of sample data
};

/// Scans a RIFF WAVE header from the stream's position. Stray bytes before "RIFF" and between the
/// RIFF size and "WAVE" are passed over; other chunks before "fmt ", "fact" and "data" are skipped
/// by their stored size, and the pad byte after an odd size when there is one. Chunk ids match
/// ignoring letter case. On success the stream is at the first data byte. The kind is wtUnsupported
/// when the interpreter refuses the format, a needed fact chunk does not come before the data, the
/// stream ends, or the header up to the data would be longer than kMaxWaveHeaderBytes; the other
/// fields are then meaningless. Throws what the stream throws.
TWaveHeader ScanWaveHeader(TAudioStream& stream, const TFmtInterpreter& interpret);

} // namespace corvath
