#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace corvath::ape {

inline constexpr uint16_t kFileVersion = 3990;
inline constexpr uint32_t kDescriptorBytes = 52;
inline constexpr uint32_t kHeaderBytes = 24;
/// Where the seek table starts: the descriptor and the header come first.
inline constexpr uint32_t kSeekTableOffset = kDescriptorBytes + kHeaderBytes;
/// "Create the WAV header on decompression": the file stores none.
inline constexpr uint16_t kCreateWavHeaderFlag = 0x20;

/// Blocks (one sample of every channel) per frame at a compression level: what decoders that
/// seek expect for the level.
uint32_t DefaultBlocksPerFrame(uint16_t compressionLevel);

/// The 24-byte header after the descriptor.
struct ApeHeader {
    uint16_t compressionLevel = 0;
    uint16_t formatFlags = 0;
    uint32_t blocksPerFrame = 0;
    uint32_t finalFrameBlocks = 0;
    uint32_t totalFrames = 0;
    uint16_t bitsPerSample = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
};

/// The 52-byte descriptor at the start of the file.
struct ApeDescriptor {
    uint32_t seekTableBytes = 0;
    uint32_t wavHeaderBytes = 0;
    uint64_t frameDataBytes = 0;
    uint32_t terminatingBytes = 0;
    std::array<uint8_t, 16> md5{};
};

std::array<uint8_t, kHeaderBytes> Serialize(const ApeHeader& header);
std::array<uint8_t, kDescriptorBytes> Serialize(const ApeDescriptor& descriptor);

/// The frames' bytes as the file stores them: cut into 32-bit words counted from the first
/// frame's first byte, each word with its bytes in reverse order. Frames follow each other
/// without gaps, so a word may hold the end of one frame and the start of the next.
class WordSwappedStream {
public:
    /// Appends the stored form of every whole word to stored; the rest waits for more bytes.
    void Append(std::span<const uint8_t> logical, std::vector<uint8_t>& stored);
    /// Completes the last word with zero bytes, which decoders read past the final frame.
    void Finish(std::vector<uint8_t>& stored);
    /// Logical bytes appended so far: the offset of the next frame from the first.
    uint64_t Size() const { return size_; }

private:
    std::array<uint8_t, 4> word_{};
    std::size_t wordFill_ = 0;
    uint64_t size_ = 0;
};

} // namespace corvath::ape
