#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace corvath::ape {

/// What a frame encoder needs to know of the PCM: 1 or 2 channels of 8-bit (unsigned), 16- or
/// 24-bit (signed, little-endian) samples, interleaved as in a WAV data chunk; and the
/// compression level (1000, 2000, 3000 or 4000), which picks the filter stages.
struct FrameFormat {
    uint16_t channels = 2;
    uint16_t bitsPerSample = 16;
    uint16_t compressionLevel = 2000;

    uint32_t BlockAlign() const { return channels * bitsPerSample / 8u; }
};

/// Turns one frame of PCM into the frame's bytes as they stand before the file's 32-bit word
/// swap: the CRC word, the dummy byte, the range-coded residuals and the coder's flush. Every
/// frame is coded from a fresh state, so one encoder serves all frames of a file in turn.
class FrameEncoder {
public:
    /// The format must be one the file format supports (the caller checks).
    explicit FrameEncoder(const FrameFormat& format);
    ~FrameEncoder();
    FrameEncoder(const FrameEncoder&) = delete;
    FrameEncoder& operator=(const FrameEncoder&) = delete;

    /// Appends the bytes of the frame made of pcm (a whole, non-zero number of blocks) to out.
    void Encode(std::span<const uint8_t> pcm, std::vector<uint8_t>& out);

private:
    struct State;
    FrameFormat format_;
    std::unique_ptr<State> state_; // the working buffers, kept from frame to frame
};

} // namespace corvath::ape
