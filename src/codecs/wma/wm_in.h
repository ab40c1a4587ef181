#pragma once

#include "audio/model/au_tagged_file_in.h"
#include "platform/media/wm_sync_reader.h"

#include <cstdint>
#include <memory>
#include <span>

namespace corvath {

/// Reads Windows Media Audio files (and, through TMP3In, MP3 files) as 16-bit PCM with the
/// synchronous reader. The length comes from the file's duration in hundredths of a second,
/// and no more than that is delivered. The tags come from the header attributes.
class TWMIn : public TAuTaggedFileIn {
public:
    using TAuTaggedFileIn::TAuTaggedFileIn;

    /// The file's tags (opens the file first, so they are there before any run). Throws
    /// EAuException as a parameter query does.
    TId3v2Tags& Id3v2Tags();

protected:
    void EnsureOpen() override;
    void ReleaseFile() override;
    AudioChunk ReadChunk(uint32_t wanted) override;
    bool SeekSource(int64_t& frame) override;

private:
    /// Starts a reader on the stream from its first byte, or else from byte 30, and picks its
    /// audio output; false when neither start is accepted or the file has no audio.
    bool OpenReader(TAudioStream& stream);
    void ReadTags();
    void CloseReader();
    void ClearParameters();

    std::unique_ptr<WmSyncReader> reader_;
    uint16_t streamNumber_ = 0;
    bool protected_ = false;
    uint64_t duration_ = 0; // units of 100 ns
    std::span<uint8_t> sample_;
    std::size_t handedOut_ = 0;
};

} // namespace corvath
