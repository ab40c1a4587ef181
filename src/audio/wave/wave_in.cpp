#include "audio/wave/wave_in.h"

#include "audio/model/au_exception.h"
#include "audio/model/au_file_stream.h"
#include "audio/wave/ima_adpcm.h"
#include "audio/wave/wave_converter.h"
#include "audio/wave/wave_header_scanner.h"
#include "platform/acm/acm.h"
#include "platform/bytes/little_endian.h"

#include <algorithm>
#include <array>
#include <span>

namespace corvath {

namespace {

// As large as a plain file copy reads: smaller reads cost more in system calls than the chain.
constexpr uint32_t kBufferBytes = 131072;
constexpr std::size_t kMaxMsAdpcmCoefficients = 32;

constexpr uint16_t kExtensibleTag = 0xFFFE;

// The data size that programs writing to a pipe put in the header: the sound runs to the end.
constexpr uint32_t kStreamedDataSize = 0xFFFFFFFF;

// The tail shared by the sub-format identifiers of the extensible fmt chunk; the first two
// bytes hold the plain format tag.
constexpr std::array<uint8_t, 14> kSubFormatTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                    0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// Other programs write PCM above 16 bits or two channels in the extensible layout.
uint16_t FormatTagOf(std::span<const uint8_t> fmt)
{
    const uint16_t tag = ReadLe16(&fmt[0]);
    if (tag != kExtensibleTag || fmt.size() < 40 ||
        !std::equal(kSubFormatTail.begin(), kSubFormatTail.end(), fmt.begin() + 26))
        return tag;
    return ReadLe16(&fmt[24]);
}

TWavType KindOfTag(uint16_t tag)
{
    switch (tag) {
    case 1:
        return wtPCM;
    case 2:
        return wtMSADPCM;
    case 17:
        return wtDVIADPCM;
    case 0x55:
        return wtACM;
    default:
        return wtUnsupported;
    }
}

} // namespace

TWavType TWaveIn::WavType()
{
    EnsureOpen();
    return wavType_;
}

TAudioStream* TWaveIn::DataStream() const
{
    return decoded_ ? decoded_.get() : Stream();
}

void TWaveIn::EnsureOpen()
{
    std::lock_guard lock(openLock_);
    if (openCount_ != 0)
        return;
    valid_ = true;
    wavType_ = wtUnsupported;
    decoded_.reset();
    if (!StreamAttached())
        own_ = std::make_unique<TAuFileStream>(FileName(), TAuFileStream::kReadShareRead);
    seekable_ = Stream()->IsSeekable();

    valid_ = ReadHeader(*Stream()) && CheckFormat();
    if (valid_ && (wavType_ == wtDVIADPCM || wavType_ == wtMSADPCM))
        SizeAdpcmData(*Stream());
    // A failed bits check of IMA ADPCM still tells which coding the file has.
    if (!valid_ && wavType_ != wtDVIADPCM)
        wavType_ = wtUnsupported;
    if (valid_ && wavType_ == wtACM && !DecodeWithConverter()) {
        wavType_ = wtACM;
        // Not counted as an open: the next query tries again.
        valid_ = false;
        return;
    }
    // A decoded ADPCM block may need more room than the usual buffer; only a checked header
    // may say how much.
    const std::size_t blockBytes =
        valid_ ? std::size_t{samplesPerBlock_} * channels_ * bitsPerSample_ / 8 : 0;
    buffer_.resize(std::max<std::size_t>(kBufferBytes, blockBytes));
    ++openCount_;
}

bool TWaveIn::ReadHeader(TAudioStream& stream)
{
    const TWaveHeader header = ScanWaveHeader(stream, [&](std::span<const uint8_t> fmt) {
        wavType_ = KindOfTag(FormatTagOf(fmt));
        if (wavType_ == wtUnsupported)
            return TFmtVerdict{};
        channels_ = ReadLe16(&fmt[2]);
        sampleRate_ = ReadLe32(&fmt[4]);
        blockAlign_ = ReadLe16(&fmt[12]);
        fmtBits_ = ReadLe16(&fmt[14]);
        bitsPerSample_ = fmtBits_;
        samplesPerBlock_ = 0;
        if (wavType_ == wtPCM)
            return TFmtVerdict{wtPCM, false};
        samplesPerBlock_ = fmt.size() >= 20 ? ReadLe16(&fmt[18]) : 0;
        if (wavType_ == wtMSADPCM) {
            const std::size_t pairs = fmt.size() >= 22 ? ReadLe16(&fmt[20]) : 0;
            msAdpcm_.coefficients.clear();
            if (pairs > kMaxMsAdpcmCoefficients || 22 + pairs * 4 > fmt.size())
                return TFmtVerdict{}; // a table the chunk does not hold
            for (std::size_t i = 0; i < pairs; ++i)
                msAdpcm_.coefficients.push_back(
                    {ReadLeInt16(&fmt[22 + 4 * i]), ReadLeInt16(&fmt[24 + 4 * i])});
        }
        return TFmtVerdict{wavType_, true};
    });
    if (header.kind == wtUnsupported) {
        wavType_ = wtUnsupported;
        return false;
    }
    factFrames_ = header.factFrames;
    dataStart_ = header.dataStart;
    if (wavType_ == wtPCM)
        SizePcmData(stream, header.dataSize);
    return true;
}

void TWaveIn::SizePcmData(TAudioStream& stream, uint32_t dataSize)
{
    const bool streamed = dataSize == kStreamedDataSize;
    announcedSize_ = streamed ? -1 : int64_t{dataSize};
    if (!stream.IsSeekable()) {
        size_ = announcedSize_;
        return;
    }
    // A size that runs past the end of the file is no limit: the sound is what the file holds.
    const int64_t held = std::max<int64_t>(0, stream.Size() - dataStart_);
    const uint32_t frameBytes = channels_ * bitsPerSample_ / 8;
    if (streamed || dataSize > held)
        size_ = frameBytes == 0 ? held : held - held % frameBytes;
    else
        size_ = dataSize;
}

void TWaveIn::SizeAdpcmData(TAudioStream& stream)
{
    if (!seekable_ || blockAlign_ == 0)
        return;
    // A fact chunk claiming more than the file's blocks can hold is no limit, as a data size
    // running past the end is none for PCM: the sound is what the blocks hold.
    const int64_t held = std::max<int64_t>(0, stream.Size() - dataStart_);
    const int64_t blocks = (held + blockAlign_ - 1) / blockAlign_;
    size_ = std::min<int64_t>(size_, blocks * samplesPerBlock_ * 2 * channels_);
}

bool TWaveIn::CheckFormat()
{
    const bool stereoOrMono = channels_ == 1 || channels_ == 2;
    switch (wavType_) {
    case wtPCM:
        return channels_ > 0 &&
               (bitsPerSample_ == 8 || bitsPerSample_ == 16 || bitsPerSample_ == 24);
    case wtDVIADPCM:
        bitsPerSample_ = 16;
        size_ = announcedSize_ = int64_t{factFrames_} * 2 * channels_;
        return fmtBits_ == 4 && stereoOrMono && samplesPerBlock_ > 0 &&
               samplesPerBlock_ == ImaAdpcmFramesPerBlock(blockAlign_, static_cast<int>(channels_));
    case wtMSADPCM:
        bitsPerSample_ = 16;
        size_ = announcedSize_ = int64_t{factFrames_} * 2 * channels_;
        msAdpcm_.channels = static_cast<int>(channels_);
        msAdpcm_.samplesPerBlock = samplesPerBlock_;
        return stereoOrMono && samplesPerBlock_ > 2 &&
               MsAdpcmFramesPerBlock(blockAlign_, msAdpcm_) == samplesPerBlock_;
    case wtACM:
        return channels_ > 0;
    default:
        return false;
    }
}

bool TWaveIn::DecodeWithConverter()
{
    TWaveConverter converter;
    Stream()->SetPosition(0);
    converter.LoadWav(*Stream());
    converter.NewFormat().SetFormatTag(WaveFormatRecord::kPcmTag);
    if (AcmFormatSuggest(converter.CurrentFormat(), converter.NewFormat()) != kAcmOk ||
        converter.Convert() != kAcmOk)
        return false;
    auto decoded = std::make_unique<TMemoryStream>();
    if (!converter.SaveWav(*decoded))
        return false;
    decoded->SetPosition(0);
    decoded_ = std::move(decoded);
    if (!ReadHeader(*decoded_) || !CheckFormat())
        return false;
    wavType_ = wtACM;
    return true;
}

void TWaveIn::ReleaseFile()
{
    std::lock_guard lock(openLock_);
    if (openCount_ <= 0)
        return;
    if (StreamAttached()) {
        if (Stream()->IsSeekable())
            Stream()->SetPosition(0);
    } else {
        own_.reset();
    }
    decoded_.reset();
    openCount_ = 0;
}

bool TWaveIn::ReadBlock()
{
    TAudioStream& stream = *DataStream();
    if (seekable_ && stream.Position() >= stream.Size())
        return false;
    block_.assign(blockAlign_, 0); // a short last block reads as if padded with zeros
    return stream.Read(block_.data(), block_.size()) > 0;
}

uint32_t TWaveIn::Refill()
{
    const uint32_t frameBytes = frameBytes_;
    switch (wavType_) {
    case wtPCM:
    case wtACM: {
        const auto capacity = static_cast<uint32_t>(kBufferBytes - kBufferBytes % frameBytes);
        return static_cast<uint32_t>(DataStream()->Read(buffer_.data(), capacity));
    }
    case wtDVIADPCM:
        if (!ReadBlock())
            return 0;
        return static_cast<uint32_t>(
            DecodeImaAdpcmBlock(block_, static_cast<int>(channels_),
                                {reinterpret_cast<int16_t*>(buffer_.data()), buffer_.size() / 2}) *
            frameBytes);
    case wtMSADPCM:
        if (!ReadBlock())
            return 0;
        return static_cast<uint32_t>(
            DecodeMsAdpcmBlock(block_, msAdpcm_,
                               {reinterpret_cast<int16_t*>(buffer_.data()), buffer_.size() / 2}) *
            frameBytes);
    default:
        return 0;
    }
}

AudioChunk TWaveIn::ReadChunk(uint32_t wanted)
{
    if (!busy_)
        throw EAuException("The Stream is not opened");
    if (!valid_ || frameBytes_ == 0)
        return {};
    if (bufferFirst_ > bufferLast_) {
        bufferLast_ = Refill();
        bufferFirst_ = 1;
    }
    // Never past the announced size: no block padding, no chunk after the data.
    uint32_t bytes = std::min(wanted, bufferLast_ - bufferFirst_ + 1);
    if (size_ > 0)
        bytes = static_cast<uint32_t>(
            std::min<int64_t>(bytes, std::max<int64_t>(0, size_ - position_)));
    bytes -= bytes % frameBytes_;
    uint8_t* data = buffer_.data() + (bufferFirst_ - 1);
    bufferFirst_ += bytes;
    return {data, bytes};
}

bool TWaveIn::SeekSource(int64_t& frame)
{
    bufferFirst_ = 1;
    bufferLast_ = 0;
    switch (wavType_) {
    case wtPCM:
        Stream()->SetPosition(dataStart_ + frame * (bitsPerSample_ / 8) * channels_);
        return true;
    case wtDVIADPCM:
    case wtMSADPCM:
        Stream()->SetPosition(dataStart_ + frame / samplesPerBlock_ * blockAlign_);
        return true;
    default:
        return false;
    }
}

} // namespace corvath
