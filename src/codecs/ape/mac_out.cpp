#include "codecs/ape/mac_out.h"

#include "audio/model/au_exception.h"
#include "codecs/ape/mac_library.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

namespace corvath {

namespace {

bool IsCompressionLevel(int32_t level)
{
    return level == 1000 || level == 2000 || level == 3000 || level == 4000;
}

// The library leaves the system's reason for its file failures in errno; read it at once.
std::optional<std::string> FileFailure(int code, const std::string& file)
{
    const char* reason = std::strerror(errno);
    if (code == APE_ERROR_INVALID_OUTPUT_FILE)
        return "Cannot create file " + file + ": " + reason;
    if (code == APE_ERROR_IO_WRITE)
        return "Cannot write file " + file + ": " + reason;
    return std::nullopt;
}

// Why the library refused a step of the file, as a sentence; read before anything else can
// change errno.
std::string StepFailure(int code, const char* step, const std::string& file)
{
    return FileFailure(code, file)
        .value_or(std::string("The APE encoder could not ") + step + " " + file + ": " +
                  MacErrorText(code) + ".");
}

} // namespace

// The library opens the file by name; an attached stream has no place here.
TMACOut::TMACOut(TComponent* owner) : TAuFileOut(owner, TFileWriter::kByName)
{
    RequireLoaded(MacLibrary());
}

void TMACOut::SetCompressionLevel(int32_t level)
{
    SetWhileIdle(compressionLevel_, IsCompressionLevel(level) ? level : 2000);
}

void TMACOut::SetMaxAudioBytes(int32_t bytes)
{
    SetWhileIdle(maxAudioBytes_, bytes);
}

void TMACOut::StartFile(TAuInput& input)
{
    inputEnded_ = false;
    compressor_ = std::make_unique<TAPECompress>();
    const uint32_t bits = input.GetBitsPerSample();
    const uint32_t channels = input.GetChannels();
    ApeWaveFormat format{};
    MacLibrary().Functions().fillWaveFormatEx(&format, static_cast<int>(input.GetSampleRate()),
                                              static_cast<int>(bits), static_cast<int>(channels));
    // The library refuses the formats it cannot take (sample size, channels) here.
    const int result =
        compressor_->Start(WorkingName().c_str(), format, maxAudioBytes_, compressionLevel_,
                           nullptr, APE_CREATE_WAV_HEADER_ON_DECOMPRESSION);
    if (result != 0) {
        const std::string failure = StepFailure(result, "start", FileName());
        compressor_.reset();
        throw EAuException(failure);
    }
    TargetOpened();
    // The largest whole number of frames that fits the buffer.
    const uint32_t frameBytes = channels * bits / 8;
    chunkBytes_ = kBufferBytes - kBufferBytes % frameBytes;
}

bool TMACOut::WriteStep(bool abort)
{
    if (!OutputEnabled())
        return true;
    if (abort || inputEnded_)
        return false;
    HandOver(Input()->ReadFull(buffer_.data(), chunkBytes_, inputEnded_));
    return true;
}

void TMACOut::HandOver(uint32_t bytes)
{
    for (uint32_t handed = 0; handed < bytes;) {
        int offered = 0;
        unsigned char* room = compressor_->LockBuffer(offered);
        // A library that offers no room would never take the rest.
        if (room == nullptr || offered <= 0)
            throw EAuException(
                StepFailure(APE_ERROR_INSUFFICIENT_MEMORY, "take the sound for", FileName()));
        const uint32_t count = std::min(static_cast<uint32_t>(offered), bytes - handed);
        std::memcpy(room, buffer_.data() + handed, count);
        const int result = compressor_->UnlockBuffer(static_cast<int>(count));
        if (result != 0)
            throw EAuException(StepFailure(result, "take the sound for", FileName()));
        handed += count;
    }
}

void TMACOut::EndFile()
{
    const int result = compressor_->Finish(nullptr, 0, 0);
    const std::string failure = result != 0 ? StepFailure(result, "finish", FileName()) : "";
    compressor_.reset();
    // A file that could not be completed (a full disk, or no sound at all) is no success.
    if (result != 0)
        throw EAuException(failure);
}

void TMACOut::AbortOutput()
{
    compressor_.reset();
    TAuFileOut::AbortOutput();
}

} // namespace corvath
