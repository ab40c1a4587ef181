#include "codecs/flac/flac_out.h"

#include "audio/model/au_exception.h"
#include "platform/bytes/little_endian.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

namespace corvath {

namespace {

constexpr uint8_t kVorbisCommentType = 4;
constexpr uint8_t kPaddingType = 1;
constexpr uint16_t kPaddingBytes = 4096; // a multiple of 256: its length's low byte is 0
constexpr uint8_t kLastBlockFlag = 0x80;
constexpr uint8_t kBlockTypeMask = 0x7F;
constexpr std::string_view kVendor = "VENDOR=Rivire";
constexpr std::size_t kMaxBlockBody = 0xFFFFFF; // the header's 24-bit length
constexpr int32_t kMaxCompressionLevel = 8;
constexpr uint32_t kMaxQlpBits = 31;
constexpr uint32_t kMaxChannels = 8;

void AppendLe32(std::vector<uint8_t>& out, std::size_t value)
{
    uint8_t bytes[4];
    WriteLe32(bytes, static_cast<uint32_t>(value));
    out.insert(out.end(), bytes, bytes + 4);
}

void AppendText(std::vector<uint8_t>& out, std::string_view text)
{
    AppendLe32(out, text.size());
    out.insert(out.end(), text.begin(), text.end());
}

// A Vorbis comment metadata block: the vendor string, then each tag that holds a value.
std::vector<uint8_t> CommentBlock(const TVorbisTags& tags, bool last)
{
    const std::vector<std::string> comments = tags.CommentLines();
    std::size_t body = 4 + kVendor.size() + 4;
    for (const std::string& comment : comments)
        body += 4 + comment.size();
    if (body > kMaxBlockBody)
        throw EAuException("The tags are too long for a FLAC file.");

    std::vector<uint8_t> block{
        static_cast<uint8_t>(kVorbisCommentType | (last ? kLastBlockFlag : 0)),
        static_cast<uint8_t>(body >> 16), static_cast<uint8_t>(body >> 8),
        static_cast<uint8_t>(body)};
    AppendText(block, kVendor);
    AppendLe32(block, comments.size());
    for (const std::string& comment : comments)
        AppendText(block, comment);
    return block;
}

int32_t SignExtend24(uint32_t value)
{
    return static_cast<int32_t>(value << 8) >> 8;
}

// Interleaved PCM as signed 32-bit samples: 8-bit is unsigned, 16 and 24 bits signed. A loop of
// its own per width, so that the common 16-bit one becomes a plain vectorised widening.
void ToSamples(const uint8_t* pcm, std::size_t count, uint32_t bytesPerSample, FLAC__int32* out)
{
    switch (bytesPerSample) {
    case 1:
        for (std::size_t i = 0; i < count; ++i)
            out[i] = pcm[i] - 128;
        break;
    case 2:
        for (std::size_t i = 0; i < count; ++i)
            out[i] = ReadLeInt16(pcm + 2 * i);
        break;
    default:
        for (std::size_t i = 0; i < count; ++i, pcm += 3)
            out[i] = SignExtend24(static_cast<uint32_t>(pcm[0] | pcm[1] << 8 | pcm[2] << 16));
    }
}

} // namespace

TFLACOut::TFLACOut(TComponent* owner) : TAuFileOut(owner)
{
    RequireLoaded(FlacLibrary());
}

void TFLACOut::SetCompressionLevel(int32_t level)
{
    SetWhileIdle(compressionLevel_, std::min(level, kMaxCompressionLevel));
}

void TFLACOut::SetBlockSize(uint16_t frames)
{
    // 0 would read nothing and end every run at once with an empty file.
    if (frames != 0)
        SetWhileIdle(blockSize_, frames);
}

void TFLACOut::SetVerify(bool verify)
{
    SetWhileIdle(verify_, verify);
}

void TFLACOut::SetEnableMidSideStereo(bool enable)
{
    SetWhileIdle(midSideStereo_, enable);
}

void TFLACOut::SetEnableLooseMidSideStereo(bool enable)
{
    if (IsBusy())
        return;
    looseMidSideStereo_ = enable;
    if (enable)
        midSideStereo_ = true;
}

void TFLACOut::SetBestModelSearch(bool enable)
{
    if (IsBusy())
        return;
    bestModelSearch_ = enable;
    if (enable) {
        midSideStereo_ = true;
        looseMidSideStereo_ = false;
    }
}

void TFLACOut::SetMaxLPCOrder(uint16_t order)
{
    SetWhileIdle(maxLpcOrder_, order);
}

void TFLACOut::SetQLPCoeffPrecision(uint16_t precision)
{
    if (!IsBusy())
        qlpCoeffPrecision_ = precision;
}

void TFLACOut::SetQLPCoeffPrecisionSearch(bool enable)
{
    SetWhileIdle(qlpCoeffPrecisionSearch_, enable);
}

void TFLACOut::SetMinResidualPartitionOrder(uint16_t order)
{
    SetWhileIdle(minResidualPartitionOrder_, order);
}

void TFLACOut::SetMaxResidualPartitionOrder(uint16_t order)
{
    SetWhileIdle(maxResidualPartitionOrder_, order);
}

void TFLACOut::SetTags(const TVorbisTags& tags)
{
    if (!IsBusy())
        tags_.Assign(tags);
}

void TFLACOut::SetCoverPicture(std::optional<CoverPicture> picture)
{
    if (!IsBusy())
        cover_ = std::move(picture);
}

void TFLACOut::CheckInput(TAuInput& input)
{
    bitsPerSample_ = input.GetBitsPerSample();
    channels_ = input.GetChannels();
    if (bitsPerSample_ != 8 && bitsPerSample_ != 16 && bitsPerSample_ != 24)
        throw EAuException("Cannot encode " + std::to_string(bitsPerSample_) +
                           " bit sound into FLAC.");
    if (channels_ == 0 || channels_ > kMaxChannels)
        throw EAuException("Cannot encode " + std::to_string(channels_) + " channels into FLAC.");
}

void TFLACOut::StartFile(TAuInput& /*input*/)
{
    inputEnded_ = false;
    commentReplaced_ = false;
    callbackFailure_ = nullptr;
    ConfigureEncoder();
    // No metadata callback: the library itself rewrites the stream information through seek.
    if (FlacLibrary().Functions().initStream(encoder_.get(), WriteCallback, SeekCallback,
                                             TellCallback, nullptr,
                                             this) != FLAC__STREAM_ENCODER_INIT_STATUS_OK)
        Fail("Failed to initialize FLAC encoder.");
    pcm_.assign(std::size_t{bitsPerSample_ / 8} * blockSize_ * channels_, 0);
}

void TFLACOut::ConfigureEncoder()
{
    const FlacApi& flac = FlacLibrary().Functions();
    encoder_.reset(flac.encoderNew());
    if (!encoder_)
        throw EAuException("Failed to initialize FLAC encoder.");
    FLAC__StreamEncoder* encoder = encoder_.get();
    flac.setVerify(encoder, verify_);
    flac.setChannels(encoder, channels_);
    flac.setBitsPerSample(encoder, bitsPerSample_);
    flac.setSampleRate(encoder, Input()->GetSampleRate());
    if (channels_ == 2) {
        flac.setDoMidSideStereo(encoder, midSideStereo_);
        flac.setLooseMidSideStereo(encoder, looseMidSideStereo_);
    }
    // A preset's block size is the library's choice (0), as its own tool makes it: the preset
    // call leaves the block size alone. The preset comes last, so it decides the stereo too.
    flac.setBlocksize(encoder, compressionLevel_ >= 0 ? 0 : blockSize_);
    if (compressionLevel_ >= 0)
        flac.setCompressionLevel(encoder, static_cast<uint32_t>(compressionLevel_));
    else
        ApplyCustomSettings();
    if (cover_)
        AttachCoverPicture();
    const int64_t size = Input()->Size();
    if (size > 0)
        flac.setTotalSamplesEstimate(
            encoder, static_cast<FLAC__uint64>(std::llround(static_cast<double>(size) /
                                                            (bitsPerSample_ / 8) / channels_)));
}

void TFLACOut::ApplyCustomSettings()
{
    const FlacApi& flac = FlacLibrary().Functions();
    FLAC__StreamEncoder* encoder = encoder_.get();
    flac.setMaxLpcOrder(encoder, maxLpcOrder_);
    if (bitsPerSample_ + qlpCoeffPrecision_ > kMaxQlpBits)
        qlpCoeffPrecision_ = static_cast<uint16_t>(kMaxQlpBits - bitsPerSample_);
    flac.setQlpCoeffPrecision(encoder, qlpCoeffPrecision_);
    flac.setDoQlpCoeffPrecSearch(encoder, qlpCoeffPrecisionSearch_);
    flac.setMinResidualPartitionOrder(encoder, minResidualPartitionOrder_);
    flac.setMaxResidualPartitionOrder(encoder, maxResidualPartitionOrder_);
    flac.setDoExhaustiveModelSearch(encoder, bestModelSearch_);
}

void TFLACOut::AttachCoverPicture()
{
    const FlacApi& flac = FlacLibrary().Functions();
    pictureBlock_.reset(flac.metadataObjectNew(FLAC__METADATA_TYPE_PICTURE));
    FLAC__StreamMetadata* block = pictureBlock_.get();
    if (block == nullptr)
        throw EAuException("Failed to initialize FLAC encoder.");
    // A new picture block comes with an empty description already.
    FLAC__StreamMetadata_Picture& picture = block->data.picture;
    picture.type = static_cast<FLAC__StreamMetadata_Picture_Type>(kFrontCoverPictureType);
    picture.width = cover_->width;
    picture.height = cover_->height;
    picture.depth = cover_->depth;
    picture.colors = 0;
    // The library copies both; it only takes them as mutable.
    auto* data = reinterpret_cast<FLAC__byte*>(const_cast<char*>(cover_->data.data()));
    if (!flac.pictureSetMimeType(block, const_cast<char*>(cover_->mimeType.c_str()), true) ||
        !flac.pictureSetData(block, data, static_cast<FLAC__uint32>(cover_->data.size()), true) ||
        !flac.setMetadata(encoder_.get(), &block, 1))
        throw EAuException("Failed to initialize FLAC encoder.");
}

bool TFLACOut::WriteStep(bool abort)
{
    if (!OutputEnabled())
        return true;
    if (abort || inputEnded_)
        return false;
    const uint32_t bytes =
        Input()->ReadFull(pcm_.data(), static_cast<uint32_t>(pcm_.size()), inputEnded_);
    const uint32_t bytesPerSample = bitsPerSample_ / 8;
    const uint32_t frames = bytes / (bytesPerSample * channels_);
    if (frames == 0)
        return false;
    samples_.resize(std::size_t{frames} * channels_);
    ToSamples(pcm_.data(), samples_.size(), bytesPerSample, samples_.data());
    if (!FlacLibrary().Functions().processInterleaved(encoder_.get(), samples_.data(), frames))
        Fail("Failed to encode data.");
    return true;
}

void TFLACOut::EndFile()
{
    // Flushes the last block and rewrites the stream information through the callbacks.
    const bool finished = FlacLibrary().Functions().finish(encoder_.get());
    ReleaseEncoder();
    if (!finished)
        Fail("Failed to finish the FLAC file.");
}

void TFLACOut::AbortOutput()
{
    ReleaseEncoder();
    TAuFileOut::AbortOutput();
}

void TFLACOut::ReleaseEncoder()
{
    encoder_.reset();
    pictureBlock_.reset();
    pcm_ = std::vector<uint8_t>();
    samples_ = std::vector<FLAC__int32>();
}

void TFLACOut::Fail(const char* message) const
{
    if (callbackFailure_)
        std::rethrow_exception(callbackFailure_);
    throw EAuException(message);
}

template <typename Work> bool TFLACOut::CallbackSucceeded(Work&& work) noexcept
{
    try {
        work();
        return true;
    } catch (...) {
        if (!callbackFailure_)
            callbackFailure_ = std::current_exception();
        return false;
    }
}

void TFLACOut::WriteEncoded(const FLAC__byte* buffer, size_t bytes)
{
    // The library hands over each metadata block whole, its header byte first.
    if (!commentReplaced_ && bytes > 0 && (buffer[0] & kBlockTypeMask) == kVorbisCommentType) {
        commentReplaced_ = true;
        // Padding after the comment lets tags added to the finished file (its loudness) go in
        // without the whole file being rewritten.
        std::vector<uint8_t> blocks = CommentBlock(tags_, false);
        const bool last = (buffer[0] & kLastBlockFlag) != 0;
        blocks.insert(blocks.end(),
                      {static_cast<uint8_t>(kPaddingType | (last ? kLastBlockFlag : 0)), 0,
                       kPaddingBytes >> 8, 0});
        blocks.resize(blocks.size() + kPaddingBytes);
        Stream()->Write(blocks.data(), blocks.size());
        return;
    }
    Stream()->Write(buffer, bytes);
}

FLAC__StreamEncoderWriteStatus TFLACOut::WriteCallback(const FLAC__StreamEncoder* /*encoder*/,
                                                       const FLAC__byte buffer[], size_t bytes,
                                                       uint32_t /*samples*/, uint32_t /*frame*/,
                                                       void* client) noexcept
{
    auto& self = *static_cast<TFLACOut*>(client);
    return self.CallbackSucceeded([&] { self.WriteEncoded(buffer, bytes); })
               ? FLAC__STREAM_ENCODER_WRITE_STATUS_OK
               : FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
}

FLAC__StreamEncoderSeekStatus TFLACOut::SeekCallback(const FLAC__StreamEncoder* /*encoder*/,
                                                     FLAC__uint64 offset, void* client) noexcept
{
    auto& self = *static_cast<TFLACOut*>(client);
    return self.CallbackSucceeded([&] { self.Stream()->SetPosition(static_cast<int64_t>(offset)); })
               ? FLAC__STREAM_ENCODER_SEEK_STATUS_OK
               : FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
}

FLAC__StreamEncoderTellStatus TFLACOut::TellCallback(const FLAC__StreamEncoder* /*encoder*/,
                                                     FLAC__uint64* offset, void* client) noexcept
{
    auto& self = *static_cast<TFLACOut*>(client);
    return self.CallbackSucceeded(
               [&] { *offset = static_cast<FLAC__uint64>(self.Stream()->Position()); })
               ? FLAC__STREAM_ENCODER_TELL_STATUS_OK
               : FLAC__STREAM_ENCODER_TELL_STATUS_ERROR;
}

} // namespace corvath
