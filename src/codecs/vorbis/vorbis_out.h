#pragma once

#include "audio/model/au_file_out.h"
#include "tags/cover_picture.h"
#include "tags/vorbis_tags.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace corvath {

/// Bit rates of the Vorbis output, in the order its setters compare them. Scoped: the MP3
/// output's rates share their names.
enum class TVorbisBitRate : uint8_t {
    brAutoSelect,
    br24,
    br32,
    br45,
    br48,
    br56,
    br64,
    br80,
    br96,
    br112,
    br128,
    br144,
    br160,
    br192,
    br224,
    br256,
    br320,
    br499
};

/// The rate in bit/s (the named kbit/s × 1000); -1 for brAutoSelect.
int32_t VorbisBitsPerSecond(TVorbisBitRate rate);

/// Encodes its input (8-, 16- or 24-bit PCM) into an Ogg Vorbis file whose comment header
/// holds the non-empty entries of Comments. While DesiredNominalBitrate is brAutoSelect the
/// encoder runs in quality mode from Compression, otherwise in bit-rate mode from the three
/// bit rates. foAppend writes a second complete Ogg stream after the file's old content, under
/// the first serial number from Serial on that the file does not use yet. A stopped run still
/// ends its stream, so the file plays up to where it stopped.
///
/// Needs the four Vorbis libraries (vorbis_libraries.h) loaded before construction.
/// Threads: construction, the setters and Comments belong to the main thread and take effect
/// from the next run; setters called while a run is on keep the old value.
/// CheckInput, StartFile, WriteStep, EndFile and AbortOutput run on the worker.
class TVorbisOut : public TAuFileOut {
public:
    /// Raises EAuException "<file> library could not be loaded." for the first of libogg,
    /// libvorbis, libvorbisfile and libvorbisenc that is not loaded.
    explicit TVorbisOut(TComponent* owner = nullptr);
    ~TVorbisOut() override;

    /// Quality for quality mode, passed to the encoder as it is (-0.1 to 1); default 0.2.
    float Compression() const { return compression_; }
    void SetCompression(float quality);

    /// The comments of the next file. A finished file leaves every value empty, so they are set
    /// again for each file.
    TVorbisTags& Comments() { return comments_; }
    /// Copies the entries of tags into Comments.
    void SetComments(const TVorbisTags& tags);

    /// The front cover embedded as a METADATA_BLOCK_PICTURE comment, kept from file to file;
    /// none embeds nothing.
    void SetCoverPicture(std::optional<CoverPicture> picture);

    /// brAutoSelect selects quality mode. Setting it pulls the minimum down and the maximum up
    /// to it; brAutoSelect also resets the maximum to brAutoSelect.
    TVorbisBitRate DesiredNominalBitrate() const { return nominal_; }
    void SetDesiredNominalBitrate(TVorbisBitRate rate);
    /// Accepted only in bit-rate mode, and only brAutoSelect (no bound) or a rate not below the
    /// nominal one.
    TVorbisBitRate DesiredMaximumBitrate() const { return maximum_; }
    void SetDesiredMaximumBitrate(TVorbisBitRate rate);
    /// Accepted only when not above the nominal rate; brAutoSelect means the nominal rate.
    TVorbisBitRate MinimumBitrate() const { return minimum_; }
    void SetMinimumBitrate(TVorbisBitRate rate);

    /// foAppend appends to an existing file; without one it writes a new file.
    void SetFileMode(TFileOutputMode mode) override { StoreFileMode(mode); }

    /// Serial number of the Ogg stream; default 0. An appended stream takes the next one free.
    int32_t Serial() const { return serial_; }
    void SetSerial(int32_t serial);

protected:
    void CheckInput(TAuInput& input) override;
    void StartFile(TAuInput& input) override;
    bool WriteStep(bool abort) override;
    void EndFile() override;
    void AbortOutput() override;

private:
    struct Encoder;

    void SetUpEncoder();
    void WriteHeaders(int32_t serial);
    void Feed(const AudioChunk& chunk);
    /// Encodes what the library holds and writes the pages it completes.
    void Drain();
    /// Not while a run is on, and only a known rate.
    bool BitRateSettable(TVorbisBitRate rate) const;
    /// Ends the file's library state and its comments, after a finished or a failed run.
    void ReleaseFileState();

    float compression_ = 0.2f;
    TVorbisTags comments_;
    std::optional<CoverPicture> cover_;
    TVorbisBitRate nominal_ = TVorbisBitRate::brAutoSelect;
    TVorbisBitRate maximum_ = TVorbisBitRate::brAutoSelect;
    TVorbisBitRate minimum_ = TVorbisBitRate::brAutoSelect;
    int32_t serial_ = 0;

    // Worker only, from StartFile to EndFile.
    std::unique_ptr<Encoder> encoder_;
    bool endOfStream_ = false;
};

} // namespace corvath
