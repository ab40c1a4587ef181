#pragma once

#include "audio/model/au_file_out.h"
#include "codecs/flac/flac_library.h"
#include "tags/cover_picture.h"
#include "tags/vorbis_tags.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <optional>
#include <vector>

namespace corvath {

/// Encodes its input (8-, 16- or 24-bit PCM) losslessly into a native FLAC file with libFLAC's
/// stream encoder. The library's Vorbis comment block is replaced by one built from Tags(),
/// with the vendor string "VENDOR=Rivire"; a cover picture follows it as a PICTURE block.
/// Never appends: FileMode stays foRewrite.
///
/// Threads: the constructor, the setters and Tags() belong to the main thread; the setters keep
/// the old value while a run is on. The encoder and its callbacks run on the sink's worker.
class TFLACOut : public TAuFileOut {
public:
    /// Raises EAuException "libFLAC.so.12 library could not be loaded." unless FlacLibrary()
    /// is loaded.
    explicit TFLACOut(TComponent* owner = nullptr);

    /// 0 to 8: the library's preset (it overrides the stereo and block settings below);
    /// negative: the custom settings. Values above 8 are stored as 8.
    int32_t CompressionLevel() const { return compressionLevel_; }
    void SetCompressionLevel(int32_t level);

    /// Frames per FLAC block of the custom settings (a preset takes the library's), and per
    /// read step. 0 is refused.
    uint16_t BlockSize() const { return blockSize_; }
    void SetBlockSize(uint16_t frames);

    bool Verify() const { return verify_; }
    void SetVerify(bool verify);

    /// Mid/side stereo, for two-channel input only.
    bool EnableMidSideStereo() const { return midSideStereo_; }
    void SetEnableMidSideStereo(bool enable);

    /// Adaptive mid/side stereo; true also turns EnableMidSideStereo on.
    bool EnableLooseMidSideStereo() const { return looseMidSideStereo_; }
    void SetEnableLooseMidSideStereo(bool enable);

    /// Exhaustive model search (custom settings); true also turns EnableMidSideStereo on and
    /// EnableLooseMidSideStereo off.
    bool BestModelSearch() const { return bestModelSearch_; }
    void SetBestModelSearch(bool enable);

    uint16_t MaxLPCOrder() const { return maxLpcOrder_; }
    void SetMaxLPCOrder(uint16_t order);

    /// Custom settings; a run lowers it to 31 - bits per sample when the sum would exceed 31,
    /// and the property keeps the lowered value.
    uint16_t QLPCoeffPrecision() const { return qlpCoeffPrecision_; }
    void SetQLPCoeffPrecision(uint16_t precision);

    bool QLPCoeffPrecisionSearch() const { return qlpCoeffPrecisionSearch_; }
    void SetQLPCoeffPrecisionSearch(bool enable);

    uint16_t MinResidualPartitionOrder() const { return minResidualPartitionOrder_; }
    void SetMinResidualPartitionOrder(uint16_t order);

    uint16_t MaxResidualPartitionOrder() const { return maxResidualPartitionOrder_; }
    void SetMaxResidualPartitionOrder(uint16_t order);

    /// The output's own tags, kept from file to file. SetTags copies the given entries in.
    TVorbisTags& Tags() { return tags_; }
    void SetTags(const TVorbisTags& tags);

    /// The front cover written as a PICTURE block, kept from file to file; none writes none.
    void SetCoverPicture(std::optional<CoverPicture> picture);

protected:
    void CheckInput(TAuInput& input) override;
    void StartFile(TAuInput& input) override;
    bool WriteStep(bool abort) override;
    void EndFile() override;
    void AbortOutput() override;

private:
    static FLAC__StreamEncoderWriteStatus WriteCallback(const FLAC__StreamEncoder* encoder,
                                                        const FLAC__byte buffer[], size_t bytes,
                                                        uint32_t samples, uint32_t frame,
                                                        void* client) noexcept;
    static FLAC__StreamEncoderSeekStatus SeekCallback(const FLAC__StreamEncoder* encoder,
                                                      FLAC__uint64 offset, void* client) noexcept;
    static FLAC__StreamEncoderTellStatus TellCallback(const FLAC__StreamEncoder* encoder,
                                                      FLAC__uint64* offset, void* client) noexcept;

    void ConfigureEncoder();
    void ApplyCustomSettings();
    void AttachCoverPicture();
    void ReleaseEncoder();
    /// Runs a callback's work; its first exception is kept for the report and becomes false.
    template <typename Work> bool CallbackSucceeded(Work&& work) noexcept;
    void WriteEncoded(const FLAC__byte* buffer, size_t bytes);
    /// Raises the exception a callback kept (the true cause, such as a full disk), else message.
    [[noreturn]] void Fail(const char* message) const;

    int32_t compressionLevel_ = -1;
    uint16_t blockSize_ = 4608;
    bool verify_ = false;
    bool midSideStereo_ = true;
    bool looseMidSideStereo_ = false;
    bool bestModelSearch_ = false;
    uint16_t maxLpcOrder_ = 0;
    std::atomic<uint16_t> qlpCoeffPrecision_{0}; // lowered by the worker
    bool qlpCoeffPrecisionSearch_ = false;
    uint16_t minResidualPartitionOrder_ = 0;
    uint16_t maxResidualPartitionOrder_ = 0;
    TVorbisTags tags_;
    std::optional<CoverPicture> cover_;

    // Per run, on the worker. The picture block must outlive the encoder's use of it.
    FlacMetadataPtr pictureBlock_;
    FlacEncoderPtr encoder_;
    std::vector<uint8_t> pcm_;
    std::vector<FLAC__int32> samples_;
    uint32_t channels_ = 0;
    uint32_t bitsPerSample_ = 0;
    bool inputEnded_ = false;
    bool commentReplaced_ = false;
    std::exception_ptr callbackFailure_;
};

} // namespace corvath
