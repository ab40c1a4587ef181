#pragma once

#include "platform/ape/ape_compress_api.h"

#include <cstdint>
#include <memory>

namespace corvath::ape {

/// One compressor of the library: takes PCM through its input buffer, compresses every frame as
/// soon as it is complete and writes the file, whose headers and seek table it completes at the
/// end. Every operation returns 0 or an error code of ape_compress_api.h; after a failure the
/// file is given up and every later call repeats that code, with errno set to the system's
/// reason when the code is an I/O one (APE_ERROR_IO_WRITE, APE_ERROR_INVALID_OUTPUT_FILE...).
/// A file that was started and not finished successfully is removed, so no half-written file is
/// left for a decoder to reject.
class ApeCompressor {
public:
    /// blocksPerFrame 0: the usual frame length of the compression level.
    explicit ApeCompressor(uint32_t blocksPerFrame = 0);
    ~ApeCompressor();
    ApeCompressor(const ApeCompressor&) = delete;
    ApeCompressor& operator=(const ApeCompressor&) = delete;

    int Start(const char* fileName, const ApeWaveFormat* format, int maxAudioBytes,
              int compressionLevel, const void* headerData, int headerBytes);
    uint8_t* LockBuffer(int* bytesAvailable);
    int UnlockBuffer(int bytesAdded, bool process);
    int Finish(const uint8_t* terminatingData, int terminatingBytes, int wavTerminatingBytes);

private:
    class Run;
    /// Runs work on the file; a failure ends the run with its code.
    template <typename Work> int Guarded(Work&& work);

    uint32_t blocksPerFrame_;
    std::unique_ptr<Run> run_;
    int failure_ = APE_ERROR_SUCCESS;
    int systemError_ = 0;
};

} // namespace corvath::ape
