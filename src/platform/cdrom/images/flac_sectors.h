#pragma once

#include "platform/files/unique_fd.h"

#include <FLAC/stream_decoder.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvath {

/// Frees a libFLAC stream decoder.
struct FlacDecoderDeleter {
    void operator()(FLAC__StreamDecoder* decoder) const;
};

/// The samples of a FLAC file of CD audio (44.1 kHz, 16 bits, stereo), decoded by libFLAC,
/// which is opened when the first such file is read. Reads that follow one another go on
/// decoding; others seek. One thread at a time.
class FlacSectors {
public:
    /// Nothing, with problem saying why, when libFLAC is missing or the file cannot be decoded.
    static std::unique_ptr<FlacSectors> Open(UniqueFd fd, std::string& problem);
    ~FlacSectors();
    FlacSectors(const FlacSectors&) = delete;
    FlacSectors& operator=(const FlacSectors&) = delete;

    /// Decodes frames sample frames from firstFrame into data as 16-bit little-endian stereo;
    /// false when the file ends early or cannot be decoded.
    bool Read(uint8_t* data, uint64_t firstFrame, uint64_t frames);

    /// The decoder's callbacks hand decoded blocks here.
    void TakeBlock(const int32_t* const channels[], uint32_t frames, uint64_t firstFrame);
    int Fd() const { return fd_.get(); }

private:
    explicit FlacSectors(UniqueFd fd);

    UniqueFd fd_;
    std::unique_ptr<FLAC__StreamDecoder, FlacDecoderDeleter> decoder_;
    /// The last decoded block, interleaved, and the frame it starts at.
    std::vector<int16_t> block_;
    uint64_t blockStart_ = 0;
};

} // namespace corvath
