#pragma once

#include "audio/model/au_file_out.h"
#include "codecs/opus/opusenc_library.h"
#include "tags/cover_picture.h"
#include "tags/vorbis_tags.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <vector>

namespace corvath {

/// Encodes its input (8-, 16- or 24-bit PCM, 1 to 8 channels, any sample rate) into an Ogg Opus
/// file with libopusenc, which resamples to 48 kHz and keeps the input's rate in the header as
/// the original rate. One or two channels use channel mapping family 0, three to eight family 1;
/// the channels arrive in WAV's default order and are stored in the order family 1 defines. The
/// comment header holds Tags() and the cover as a METADATA_BLOCK_PICTURE comment. Never appends:
/// FileMode stays foRewrite. A stopped run ends its stream, so the file plays up to where it
/// stopped; a failed run leaves no file.
///
/// Threads: the constructor, the setters and Tags() belong to the main thread; the setters keep
/// the old value while a run is on. The encoder and its callbacks run on the sink's worker,
/// where a failure raises EAuException: the file's own reason (a full disk) when writing failed,
/// otherwise "Opus encoding failed: " and libopusenc's reason.
class TOpusOut : public TAuFileOut {
public:
    /// Raises EAuException "libopusenc.so.0 library could not be loaded." unless
    /// OpusEncLibrary() is loaded.
    explicit TOpusOut(TComponent* owner = nullptr);

    /// Target bit rate of the whole stream (all channels) in kbit/s, 6 to 512; default 128.
    /// A value outside is stored as the nearer bound.
    int32_t Bitrate() const { return bitrate_; }
    void SetBitrate(int32_t kbps);

    /// The encoder's effort, 0 (fastest) to 10 (best); default 10. A value outside is refused.
    int32_t Complexity() const { return complexity_; }
    void SetComplexity(int32_t complexity);

    /// The comments of the next file, kept from file to file. SetTags copies the given entries
    /// in.
    TVorbisTags& Tags() { return tags_; }
    void SetTags(const TVorbisTags& tags);

    /// The front cover embedded as a METADATA_BLOCK_PICTURE comment, kept from file to file;
    /// none embeds nothing.
    void SetCoverPicture(std::optional<CoverPicture> picture);

protected:
    void CheckInput(TAuInput& input) override;
    void StartFile(TAuInput& input) override;
    bool WriteStep(bool abort) override;
    void EndFile() override;
    void AbortOutput() override;

private:
    static int WriteCallback(void* client, const unsigned char* data, opus_int32 bytes) noexcept;
    static int CloseCallback(void* client) noexcept;

    /// The tags and the cover as libopusenc's comment set.
    OpusCommentsPtr MakeComments() const;
    /// Raises for a libopusenc result other than OPE_OK.
    void Check(int result) const;

    int32_t bitrate_ = 128;
    int32_t complexity_ = 10;
    TVorbisTags tags_;
    std::optional<CoverPicture> cover_;

    // Per run, on the worker. The buffers stay from step to step and from file to file.
    OpusEncoderPtr encoder_;
    std::vector<uint8_t> pcm_;
    std::vector<float> samples_;
    uint32_t channels_ = 0;
    uint32_t bitsPerSample_ = 0;
    uint32_t sampleRate_ = 0;
    std::exception_ptr callbackFailure_;
};

} // namespace corvath
