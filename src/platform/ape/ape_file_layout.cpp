#include "platform/ape/ape_file_layout.h"

#include "platform/bytes/little_endian.h"

#include <algorithm>

namespace corvath::ape {

namespace {

constexpr uint32_t kBaseBlocksPerFrame = 73728;

} // namespace

uint32_t DefaultBlocksPerFrame(uint16_t compressionLevel)
{
    return compressionLevel >= 4000 ? kBaseBlocksPerFrame * 4 : kBaseBlocksPerFrame;
}

std::array<uint8_t, kHeaderBytes> Serialize(const ApeHeader& header)
{
    std::array<uint8_t, kHeaderBytes> bytes{};
    WriteLe16(&bytes[0], header.compressionLevel);
    WriteLe16(&bytes[2], header.formatFlags);
    WriteLe32(&bytes[4], header.blocksPerFrame);
    WriteLe32(&bytes[8], header.finalFrameBlocks);
    WriteLe32(&bytes[12], header.totalFrames);
    WriteLe16(&bytes[16], header.bitsPerSample);
    WriteLe16(&bytes[18], header.channels);
    WriteLe32(&bytes[20], header.sampleRate);
    return bytes;
}

std::array<uint8_t, kDescriptorBytes> Serialize(const ApeDescriptor& descriptor)
{
    std::array<uint8_t, kDescriptorBytes> bytes{};
    std::copy_n("MAC ", 4, bytes.begin());
    WriteLe16(&bytes[4], kFileVersion);
    WriteLe32(&bytes[8], kDescriptorBytes);
    WriteLe32(&bytes[12], kHeaderBytes);
    WriteLe32(&bytes[16], descriptor.seekTableBytes);
    WriteLe32(&bytes[20], descriptor.wavHeaderBytes);
    WriteLe32(&bytes[24], static_cast<uint32_t>(descriptor.frameDataBytes));
    WriteLe32(&bytes[28], static_cast<uint32_t>(descriptor.frameDataBytes >> 32));
    WriteLe32(&bytes[32], descriptor.terminatingBytes);
    std::copy(descriptor.md5.begin(), descriptor.md5.end(), bytes.begin() + 36);
    return bytes;
}

void WordSwappedStream::Append(std::span<const uint8_t> logical, std::vector<uint8_t>& stored)
{
    size_ += logical.size();
    for (uint8_t byte : logical) {
        word_[wordFill_++] = byte;
        if (wordFill_ == word_.size()) {
            stored.insert(stored.end(), word_.rbegin(), word_.rend());
            wordFill_ = 0;
        }
    }
}

void WordSwappedStream::Finish(std::vector<uint8_t>& stored)
{
    if (wordFill_ == 0)
        return;
    std::fill(word_.begin() + static_cast<std::ptrdiff_t>(wordFill_), word_.end(), 0);
    size_ += word_.size() - wordFill_;
    stored.insert(stored.end(), word_.rbegin(), word_.rend());
    wordFill_ = 0;
}

} // namespace corvath::ape
