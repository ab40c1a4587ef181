#include "audio/wave/wave_out.h"

#include "audio/model/au_exception.h"
#include "audio/wave/pcm_wave_header.h"
#include "audio/wave/wave_header_scanner.h"
#include "platform/bytes/little_endian.h"

#include <array>
#include <cmath>

namespace corvath {

namespace {

constexpr uint32_t kPcmHeaderBytes = kPcmWaveHeaderBytes;
constexpr uint32_t kImaHeaderBytes = 60;
// As much as a plain file copy writes at a time, for the same reason as the reader's buffer.
constexpr uint32_t kPcmStepBytes = 131072;
// The largest data chunk whose RIFF size still fits 32 bits.
constexpr int64_t kMaxDataBytes = 0xFFFFFFFFll - kImaHeaderBytes;
constexpr uint16_t kPcmTag = 1;
constexpr uint16_t kImaAdpcmTag = 17;

[[noreturn]] void RefuseTooLarge()
{
    throw EAuException("The sound is too long for a WAV file (4 GiB at most).");
}

[[noreturn]] void RefuseAppending()
{
    throw EAuException("Cannot append data to this .wav file.");
}

// IMA ADPCM blocks hold whole 4-byte groups of codes.
bool IsImaBlockSize(uint16_t bytes)
{
    return bytes != 0 && bytes % 4 == 0;
}

} // namespace

void TWaveOut::SetWavType(TWavType type)
{
    if (!IsBusy() && (type == wtPCM || type == wtDVIADPCM))
        wavType_ = type;
}

void TWaveOut::SetBlockSize(uint16_t bytes)
{
    if (!IsBusy() && IsImaBlockSize(bytes))
        blockSize_ = bytes;
}

uint32_t TWaveOut::SamplesPerBlock(uint16_t channels) const
{
    return static_cast<uint32_t>(ImaAdpcmFramesPerBlock(blockSize_, channels));
}

void TWaveOut::CheckInput(TAuInput& input)
{
    // The input's size decides whether the file may be touched at all.
    if (input.Size() > kMaxDataBytes)
        RefuseTooLarge();
    const uint32_t bits = input.GetBitsPerSample();
    if (input.GetChannels() == 0 || input.GetSampleRate() == 0 || bits == 0 || bits % 8 != 0)
        throw EAuException("The input holds no sound that a WAV file can take.");
}

void TWaveOut::StartFile(TAuInput& /*input*/)
{
    inputEnded_ = false;
    appending_ = FileMode() == foAppend && Stream()->Size() > 0;
    existing_ = appending_ ? ParseExisting() : ExistingFile{};
    // An existing file that is refused changes no property.
    const TWavType type = wavType_;
    const uint16_t blockSize = blockSize_;
    try {
        if (appending_) {
            wavType_ = existing_.kind;
            if (wavType_ == wtDVIADPCM)
                blockSize_ = existing_.blockAlign;
            GoToEndOfData();
        }
        if (wavType_ == wtPCM)
            PreparePcm(appending_, existing_);
        else
            PrepareImaAdpcm(appending_, existing_);
    } catch (...) {
        wavType_ = type;
        blockSize_ = blockSize;
        throw;
    }
}

void TWaveOut::GoToEndOfData()
{
    // New sound goes at the end of the data chunk; a chunk after it would be taken for sound.
    // Only a data chunk that runs to the end of the file (past its pad byte) can grow there.
    const int64_t fileSize = Stream()->Size();
    const int64_t dataEnd = std::min(existing_.dataStart + existing_.dataSize, fileSize);
    if (fileSize > dataEnd + existing_.dataSize % 2)
        RefuseAppending();
    if (fileSize > dataEnd)
        Stream()->SetSize(dataEnd);
    Stream()->SetPosition(dataEnd);
}

TWaveOut::ExistingFile TWaveOut::ParseExisting()
{
    ExistingFile file;
    Stream()->SetPosition(0);
    const TWaveHeader header = ScanWaveHeader(*Stream(), [&](std::span<const uint8_t> fmt) {
        const uint16_t tag = ReadLe16(&fmt[0]);
        if (tag != kPcmTag && tag != kImaAdpcmTag)
            return TFmtVerdict{};
        file.channels = ReadLe16(&fmt[2]);
        file.sampleRate = ReadLe32(&fmt[4]);
        file.bitsPerSample = ReadLe16(&fmt[14]);
        file.blockAlign = ReadLe16(&fmt[12]);
        if (tag == kPcmTag)
            return TFmtVerdict{wtPCM, false};
        return TFmtVerdict{wtDVIADPCM, true};
    });
    file.kind = header.kind;
    file.factValueOffset = header.factValueOffset;
    file.dataSizeOffset = header.dataSizeOffset;
    file.dataStart = header.dataStart;
    file.dataSize = header.dataSize;
    if (file.kind == wtDVIADPCM && (!IsImaBlockSize(file.blockAlign) ||
                                    ImaAdpcmFramesPerBlock(file.blockAlign, file.channels) <= 0))
        file.kind = wtUnsupported;
    if (file.kind == wtUnsupported)
        RefuseAppending();
    return file;
}

void TWaveOut::PreparePcm(bool appending, const ExistingFile& existing)
{
    TAuInput& input = *Input();
    const auto channels = static_cast<uint16_t>(input.GetChannels());
    const uint32_t sampleRate = input.GetSampleRate();
    const auto bits = static_cast<uint16_t>(input.GetBitsPerSample());
    if (appending) {
        if (sampleRate != existing.sampleRate || bits != existing.bitsPerSample ||
            channels != existing.channels)
            throw EAuException("Cannot append data in different audio format.");
        dataBytes_ = Stream()->Position() - existing.dataStart;
        CountData(0);
        return;
    }
    const auto header =
        PcmWaveHeader(channels, sampleRate, bits, static_cast<uint32_t>(input.Size()));
    Stream()->Write(header.data(), header.size());
    dataBytes_ = 0;
}

void TWaveOut::PrepareImaAdpcm(bool appending, const ExistingFile& existing)
{
    TAuInput& input = *Input();
    if (input.GetBitsPerSample() != 16)
        throw EAuException("Cannot encode 8 bit sound into ADPCM.");
    const auto channels = static_cast<uint16_t>(input.GetChannels());
    const uint32_t sampleRate = input.GetSampleRate();
    if (channels != 1 && channels != 2)
        throw EAuException("IMA ADPCM holds mono or stereo sound only.");
    // Stereo codes come in 8-byte groups; other players read only whole groups.
    if (channels == 2 && blockSize_ % 8 != 0)
        throw EAuException("Stereo IMA ADPCM needs a block size that is a multiple of 8.");
    const uint32_t samplesPerBlock = SamplesPerBlock(channels);
    channels_ = channels;
    pcmBlock_.assign(static_cast<std::size_t>(samplesPerBlock) * channels, 0);
    adpcmBlock_.assign(blockSize_, 0);

    if (appending) {
        if (sampleRate != existing.sampleRate || channels != existing.channels)
            throw EAuException("Cannot append data in different audio format.");
        dataBytes_ = Stream()->Position() - existing.dataStart;
        CountData(0);
        return;
    }

    const uint32_t frames = static_cast<uint32_t>(input.Size() / 2 / channels);
    const auto blocks =
        static_cast<uint32_t>(std::nearbyint(static_cast<double>(frames) / samplesPerBlock));
    std::array<uint8_t, kImaHeaderBytes> header{};
    std::copy_n("RIFF", 4, header.begin());
    WriteLe32(&header[4], blocks * blockSize_ + kImaHeaderBytes - 8);
    std::copy_n("WAVEfmt ", 8, header.begin() + 8);
    WriteLe32(&header[16], 20);
    WriteLe16(&header[20], kImaAdpcmTag);
    WriteLe16(&header[22], channels);
    WriteLe32(&header[24], sampleRate);
    WriteLe32(&header[28], sampleRate / samplesPerBlock * blockSize_);
    WriteLe16(&header[32], blockSize_);
    WriteLe16(&header[34], 4);
    WriteLe16(&header[36], 2);
    WriteLe16(&header[38], static_cast<uint16_t>(samplesPerBlock));
    std::copy_n("fact", 4, header.begin() + 40);
    WriteLe32(&header[44], 4);
    WriteLe32(&header[48], frames);
    std::copy_n("data", 4, header.begin() + 52);
    WriteLe32(&header[56], blocks * blockSize_);
    Stream()->Write(header.data(), header.size());
    encoder_ = TImaAdpcmEncoder{};
    dataBytes_ = 0;
    paddingFrames_ = 0;
}

bool TWaveOut::WriteStep(bool abort)
{
    if (!OutputEnabled())
        return true;
    if (abort || inputEnded_)
        return false;
    return wavType_ == wtPCM ? WritePcmStep() : WriteImaAdpcmStep();
}

void TWaveOut::CountData(uint32_t bytes)
{
    dataBytes_ += bytes;
    if (dataBytes_ > kMaxDataBytes)
        RefuseTooLarge();
}

bool TWaveOut::WritePcmStep()
{
    const AudioChunk chunk = Input()->ReadData(kPcmStepBytes);
    if (chunk.data == nullptr || chunk.bytes == 0)
        return false;
    CountData(chunk.bytes);
    Stream()->Write(chunk.data, chunk.bytes);
    return true;
}

bool TWaveOut::WriteImaAdpcmStep()
{
    std::fill(pcmBlock_.begin(), pcmBlock_.end(), int16_t{0});
    const auto blockBytes = static_cast<uint32_t>(pcmBlock_.size() * sizeof(int16_t));
    auto* bytes = reinterpret_cast<uint8_t*>(pcmBlock_.data());
    // Rounded down to whole frames by the source, so short reads keep the frames aligned.
    uint32_t filled = 0;
    while (filled < blockBytes) {
        const uint32_t got = Input()->ReadInto(bytes + filled, blockBytes - filled);
        if (got == 0) {
            inputEnded_ = true;
            break;
        }
        filled += got;
    }
    paddingFrames_ = (blockBytes - filled) / (2u * channels_);
    // The block in which the input ended is written too, even when it holds only silence.
    encoder_.EncodeBlock(pcmBlock_, channels_, adpcmBlock_);
    CountData(blockSize_);
    Stream()->Write(adpcmBlock_.data(), adpcmBlock_.size());
    return true;
}

void TWaveOut::WriteAt(int64_t offset, uint32_t value)
{
    std::array<uint8_t, 4> bytes{};
    WriteLe32(bytes.data(), value);
    Stream()->SetPosition(offset);
    Stream()->Write(bytes.data(), bytes.size());
}

void TWaveOut::EndFile()
{
    // The header written at the start holds the announced size; the input may have ended early,
    // or announced nothing.
    const int64_t fileSize = Stream()->Seek(0, TSeekOrigin::End);
    if (wavType_ == wtPCM) {
        const int64_t dataStart = appending_ ? existing_.dataStart : kPcmHeaderBytes;
        WriteAt(appending_ ? existing_.dataSizeOffset : 40,
                static_cast<uint32_t>(fileSize - dataStart));
    } else {
        const int64_t dataStart = appending_ ? existing_.dataStart : kImaHeaderBytes;
        const auto dataSize = static_cast<uint32_t>(fileSize - dataStart);
        const uint32_t blockFrames = SamplesPerBlock(channels_) * (dataSize / blockSize_);
        WriteAt(appending_ ? existing_.dataSizeOffset : 56, dataSize);
        WriteAt(appending_ ? existing_.factValueOffset : 48, blockFrames - paddingFrames_);
    }
    WriteAt(4, static_cast<uint32_t>(fileSize - 8));
}

} // namespace corvath
