#include "platform/ape/ape_compressor.h"

#include "platform/ape/ape_file_layout.h"
#include "platform/ape/frame_encoder.h"
#include "platform/ape/md5_digest.h"
#include "platform/bytes/little_endian.h"
#include "platform/files/unique_fd.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <new>
#include <span>
#include <string>
#include <unistd.h>
#include <vector>

namespace corvath::ape {

namespace {

constexpr uint16_t kPcmFormatTag = 1;
constexpr std::size_t kMoveChunkBytes = 1 << 20;

struct Failure {
    int code;
    int systemError; // errno when the code stands for a failed system call
};

[[noreturn]] void Fail(int code)
{
    throw Failure{code, errno};
}

// Repeats a positioned read or write (pread, pwrite) until every byte is done.
template <typename Byte, typename Call>
void TransferAt(Call call, int failureCode, int fd, uint64_t offset, std::span<Byte> bytes)
{
    while (!bytes.empty()) {
        const ssize_t done = call(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (done < 0 && errno == EINTR)
            continue;
        if (done == 0)
            errno = EIO; // no progress and no reason given
        if (done <= 0)
            Fail(failureCode);
        bytes = bytes.subspan(static_cast<std::size_t>(done));
        offset += static_cast<uint64_t>(done);
    }
}

void WriteAt(int fd, uint64_t offset, std::span<const uint8_t> bytes)
{
    TransferAt(::pwrite, APE_ERROR_IO_WRITE, fd, offset, bytes);
}

void ReadAt(int fd, uint64_t offset, std::span<uint8_t> bytes)
{
    TransferAt(::pread, APE_ERROR_IO_READ, fd, offset, bytes);
}

// Moves length bytes of the file from one offset to another; the two ranges may overlap.
void MoveRange(int fd, uint64_t from, uint64_t to, uint64_t length)
{
    std::vector<uint8_t> chunk(
        static_cast<std::size_t>(std::min<uint64_t>(kMoveChunkBytes, length)));
    const bool backwards = to > from;
    for (uint64_t done = 0; done < length;) {
        const std::size_t bytes =
            static_cast<std::size_t>(std::min<uint64_t>(chunk.size(), length - done));
        const uint64_t position = backwards ? length - done - bytes : done;
        ReadAt(fd, from + position, {chunk.data(), bytes});
        WriteAt(fd, to + position, {chunk.data(), bytes});
        done += bytes;
    }
}

bool SupportedLevel(int level)
{
    return level == 1000 || level == 2000 || level == 3000 || level == 4000;
}

FrameFormat CheckedFormat(const ApeWaveFormat& format, int compressionLevel)
{
    if (format.formatTag != kPcmFormatTag)
        Fail(APE_ERROR_UNSUPPORTED_FILE_TYPE);
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16 && format.bitsPerSample != 24)
        Fail(APE_ERROR_INPUT_FILE_UNSUPPORTED_BIT_DEPTH);
    if (format.channels != 1 && format.channels != 2)
        Fail(APE_ERROR_INPUT_FILE_UNSUPPORTED_CHANNEL_COUNT);
    if (format.sampleRate == 0)
        Fail(APE_ERROR_INPUT_FILE_UNSUPPORTED_SAMPLE_RATE);
    if (!SupportedLevel(compressionLevel))
        Fail(APE_ERROR_BAD_PARAMETER);
    const FrameFormat checked{format.channels, format.bitsPerSample,
                              static_cast<uint16_t>(compressionLevel)};
    if (format.blockAlign != checked.BlockAlign())
        Fail(APE_ERROR_INVALID_INPUT_FILE);
    return checked;
}

} // namespace

/// One file from Start to Finish.
class ApeCompressor::Run {
public:
    Run(const char* fileName, const FrameFormat& format, uint32_t sampleRate,
        uint32_t blocksPerFrame, int64_t maxAudioBytes, std::span<const uint8_t> wavHeader,
        bool storesWavHeader)
        : path_(fileName), encoder_(format), blockAlign_(format.BlockAlign()),
          maxAudioBytes_(maxAudioBytes), wavHeader_(wavHeader.begin(), wavHeader.end())
    {
        header_.compressionLevel = format.compressionLevel;
        header_.formatFlags = storesWavHeader ? 0 : kCreateWavHeaderFlag;
        header_.blocksPerFrame = blocksPerFrame;
        header_.bitsPerSample = format.bitsPerSample;
        header_.channels = format.channels;
        header_.sampleRate = sampleRate;
        input_.resize(static_cast<std::size_t>(blocksPerFrame) * blockAlign_);
        // With a known size the seek table gets its final room now; otherwise the frames move
        // once at the end to make room for it.
        if (maxAudioBytes >= 0) {
            const uint64_t blocks = static_cast<uint64_t>(maxAudioBytes) / blockAlign_;
            reservedFrames_ = (blocks + blocksPerFrame - 1) / blocksPerFrame;
        }
        file_ = UniqueFd(::open(fileName, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
        if (!file_)
            Fail(APE_ERROR_INVALID_OUTPUT_FILE);
        created_ = true;
        const std::vector<uint8_t> headers(FirstFrameOffset(reservedFrames_) - wavHeader_.size());
        WriteAt(file_.get(), 0, headers);
        WriteAt(file_.get(), headers.size(), wavHeader_);
        md5_.Add(wavHeader_);
        writeOffset_ = FirstFrameOffset(reservedFrames_);
    }

    ~Run()
    {
        file_.Close();
        if (created_ && !finished_)
            ::unlink(path_.c_str());
    }

    uint8_t* Room(int* bytesAvailable)
    {
        *bytesAvailable = static_cast<int>(input_.size() - inputFill_);
        return input_.data() + inputFill_;
    }

    void Take(int bytesAdded)
    {
        if (bytesAdded < 0 || static_cast<std::size_t>(bytesAdded) > input_.size() - inputFill_)
            Fail(APE_ERROR_INVALID_FUNCTION_PARAMETER);
        audioBytes_ += static_cast<uint64_t>(bytesAdded);
        if (maxAudioBytes_ >= 0 && audioBytes_ > static_cast<uint64_t>(maxAudioBytes_))
            Fail(APE_ERROR_COMPRESS_TOO_MUCH_DATA);
        inputFill_ += static_cast<std::size_t>(bytesAdded);
        if (inputFill_ == input_.size())
            CompressInput();
    }

    void Finish(std::span<const uint8_t> terminatingData, uint32_t wavTerminatingBytes)
    {
        if (inputFill_ >= blockAlign_)
            CompressInput(); // an incomplete last block cannot be coded and is dropped
        if (frameOffsets_.empty())
            Fail(APE_ERROR_INPUT_FILE_TOO_SMALL);
        stored_.clear();
        stream_.Finish(stored_);
        WriteStored();
        WriteAt(file_.get(), writeOffset_, terminatingData);
        md5_.Add(terminatingData.first(wavTerminatingBytes));

        const uint32_t frames = static_cast<uint32_t>(frameOffsets_.size());
        const uint64_t dataOffset = FirstFrameOffset(frames);
        const uint64_t reservedDataOffset = FirstFrameOffset(reservedFrames_);
        if (dataOffset != reservedDataOffset)
            MoveRange(file_.get(), reservedDataOffset, dataOffset,
                      stream_.Size() + terminatingData.size());

        std::vector<uint8_t> seekTable(frames * 4u);
        for (uint32_t frame = 0; frame < frames; ++frame) {
            const uint64_t offset = dataOffset + frameOffsets_[frame];
            if (offset > std::numeric_limits<uint32_t>::max())
                Fail(APE_ERROR_INPUT_FILE_TOO_LARGE);
            WriteLe32(&seekTable[frame * 4u], static_cast<uint32_t>(offset));
        }
        header_.totalFrames = frames;
        header_.finalFrameBlocks =
            static_cast<uint32_t>(totalBlocks_ - uint64_t{frames - 1} * header_.blocksPerFrame);
        const auto header = Serialize(header_);
        md5_.Add(header);
        md5_.Add(seekTable);

        ApeDescriptor descriptor;
        descriptor.seekTableBytes = static_cast<uint32_t>(seekTable.size());
        descriptor.wavHeaderBytes = static_cast<uint32_t>(wavHeader_.size());
        descriptor.frameDataBytes = stream_.Size();
        descriptor.terminatingBytes = wavTerminatingBytes;
        descriptor.md5 = md5_.Finish();
        WriteAt(file_.get(), 0, Serialize(descriptor));
        WriteAt(file_.get(), kDescriptorBytes, header);
        WriteAt(file_.get(), kSeekTableOffset, seekTable);
        const uint64_t fileSize = dataOffset + stream_.Size() + terminatingData.size();
        if (::ftruncate(file_.get(), static_cast<off_t>(fileSize)) != 0 || !file_.Close())
            Fail(APE_ERROR_IO_WRITE);
        finished_ = true;
    }

private:
    uint64_t FirstFrameOffset(uint64_t seekEntries) const
    {
        return kSeekTableOffset + seekEntries * 4 + wavHeader_.size();
    }

    void CompressInput()
    {
        const std::size_t bytes = inputFill_ - inputFill_ % blockAlign_;
        inputFill_ = 0;
        // Seek entries are 32-bit: the frame must start below 4 GiB even with its own entry.
        const uint64_t start = FirstFrameOffset(frameOffsets_.size() + 1) + stream_.Size();
        if (start > std::numeric_limits<uint32_t>::max())
            Fail(APE_ERROR_INPUT_FILE_TOO_LARGE);
        frameOffsets_.push_back(stream_.Size());
        totalBlocks_ += bytes / blockAlign_;
        logical_.clear();
        encoder_.Encode({input_.data(), bytes}, logical_);
        stored_.clear();
        stream_.Append(logical_, stored_);
        WriteStored();
    }

    void WriteStored()
    {
        WriteAt(file_.get(), writeOffset_, stored_);
        md5_.Add(stored_);
        writeOffset_ += stored_.size();
    }

    std::string path_;
    FrameEncoder encoder_;
    const uint32_t blockAlign_;
    const int64_t maxAudioBytes_;
    const std::vector<uint8_t> wavHeader_;
    ApeHeader header_;
    UniqueFd file_;
    bool created_ = false;
    bool finished_ = false;
    uint64_t reservedFrames_ = 0;
    uint64_t writeOffset_ = 0;

    std::vector<uint8_t> input_;
    std::size_t inputFill_ = 0;
    uint64_t audioBytes_ = 0;
    uint64_t totalBlocks_ = 0;

    std::vector<uint8_t> logical_;
    std::vector<uint8_t> stored_;
    WordSwappedStream stream_;
    std::vector<uint64_t> frameOffsets_; // from the first frame's start
    Md5Digest md5_;
};

ApeCompressor::ApeCompressor(uint32_t blocksPerFrame) : blocksPerFrame_(blocksPerFrame) {}

ApeCompressor::~ApeCompressor() = default;

template <typename Work> int ApeCompressor::Guarded(Work&& work)
{
    if (failure_ == APE_ERROR_SUCCESS) {
        try {
            work();
            return APE_ERROR_SUCCESS;
        } catch (const Failure& failure) {
            failure_ = failure.code;
            systemError_ = failure.systemError;
        } catch (const std::bad_alloc&) {
            failure_ = APE_ERROR_INSUFFICIENT_MEMORY;
        }
        run_.reset();
    }
    // Set last: closing and removing the file may change it.
    errno = systemError_;
    return failure_;
}

int ApeCompressor::Start(const char* fileName, const ApeWaveFormat* format, int maxAudioBytes,
                         int compressionLevel, const void* headerData, int headerBytes)
{
    if (run_ || fileName == nullptr || format == nullptr || headerBytes < -1 ||
        (headerBytes > 0 && headerData == nullptr))
        return APE_ERROR_INVALID_FUNCTION_PARAMETER;
    return Guarded([&] {
        const FrameFormat checked = CheckedFormat(*format, compressionLevel);
        const uint32_t blocksPerFrame = blocksPerFrame_ != 0
                                            ? blocksPerFrame_
                                            : DefaultBlocksPerFrame(checked.compressionLevel);
        const bool storesWavHeader = headerBytes >= 0;
        const std::span<const uint8_t> wavHeader(static_cast<const uint8_t*>(headerData),
                                                 storesWavHeader ? std::size_t(headerBytes) : 0);
        run_ = std::make_unique<Run>(fileName, checked, format->sampleRate, blocksPerFrame,
                                     maxAudioBytes, wavHeader, storesWavHeader);
    });
}

uint8_t* ApeCompressor::LockBuffer(int* bytesAvailable)
{
    if (bytesAvailable == nullptr)
        return nullptr;
    *bytesAvailable = 0;
    return run_ ? run_->Room(bytesAvailable) : nullptr;
}

int ApeCompressor::UnlockBuffer(int bytesAdded, bool /*process*/)
{
    // Frames are compressed as soon as they are whole, so there is nothing to hold back.
    if (!run_ && failure_ == APE_ERROR_SUCCESS)
        return APE_ERROR_INVALID_FUNCTION_PARAMETER;
    return Guarded([&] { run_->Take(bytesAdded); });
}

int ApeCompressor::Finish(const uint8_t* terminatingData, int terminatingBytes,
                          int wavTerminatingBytes)
{
    if (!run_ && failure_ == APE_ERROR_SUCCESS)
        return APE_ERROR_INVALID_FUNCTION_PARAMETER;
    if (terminatingBytes < 0 || wavTerminatingBytes < 0 || wavTerminatingBytes > terminatingBytes ||
        (terminatingBytes > 0 && terminatingData == nullptr))
        return APE_ERROR_INVALID_FUNCTION_PARAMETER;
    const int result = Guarded([&] {
        run_->Finish({terminatingData, static_cast<std::size_t>(terminatingBytes)},
                     static_cast<uint32_t>(wavTerminatingBytes));
    });
    run_.reset();
    return result;
}

} // namespace corvath::ape
