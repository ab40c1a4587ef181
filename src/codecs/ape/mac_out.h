#pragma once

#include "audio/model/au_file_out.h"
#include "codecs/ape/ape_compress.h"

#include <array>
#include <cstdint>
#include <memory>

namespace corvath {

/// Compresses its input (PCM as the APE compressor library takes it) into a Monkey's Audio file
/// through the library, which creates and writes the file itself; writes no tag and never
/// appends. A run that ends without a single sample fails and leaves no file.
///
/// Threads: the constructor and the setters belong to the main thread; the setters keep the old
/// value while a run is on. The compressor runs on the sink's worker.
class TMACOut : public TAuFileOut {
public:
    /// Raises EAuException "<library file> library could not be loaded." unless MacLibrary() is
    /// loaded.
    explicit TMACOut(TComponent* owner = nullptr);

    /// 1000 (fast) to 4000 (extra high) in steps of 1000; any other value is stored as 2000.
    int32_t CompressionLevel() const { return compressionLevel_; }
    void SetCompressionLevel(int32_t level);

    /// The library's limit on the audio bytes of a file; -1, the default, sets none.
    int32_t MaxAudioBytes() const { return maxAudioBytes_; }
    void SetMaxAudioBytes(int32_t bytes);

protected:
    void StartFile(TAuInput& input) override;
    bool WriteStep(bool abort) override;
    void EndFile() override;
    void AbortOutput() override;

private:
    static constexpr uint32_t kBufferBytes = 65536;

    void HandOver(uint32_t bytes);

    int32_t compressionLevel_ = 2000;
    int32_t maxAudioBytes_ = -1;

    // Per run, on the worker. The buffer lives in the object so that a step allocates nothing.
    std::unique_ptr<TAPECompress> compressor_;
    std::array<uint8_t, kBufferBytes> buffer_{};
    uint32_t chunkBytes_ = 0;
    bool inputEnded_ = false;
};

} // namespace corvath
