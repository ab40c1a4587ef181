#pragma once

#include "audio/model/au_streamed_input.h"

#include <mutex>
#include <string>

namespace corvath {

/// A source reading a named file (or an attached stream). The file stays open from the first
/// query of its parameters (EnsureOpen) to ReleaseFile, independently of runs, so parameters can
/// be asked before and after a run.
class TAuFileIn : public TAuStreamedInput {
public:
    using TAuStreamedInput::TAuStreamedInput;

    uint32_t GetBitsPerSample() override;
    uint32_t GetChannels() override;
    uint32_t GetSampleRate() override;
    uint32_t GetTotalSeconds() override;
    int64_t GetSampleCount() override;

    /// Refused while a run reads the source: the old stream stays.
    void SetStream(TAudioStream* stream) override;
    void ForceClose() override;

    /// False when there is neither a file name nor a stream, or the file is not one this
    /// source can read.
    bool IsValid();

    /// Bytes of sound the file's header claims, -1 when it claims no length. Size() is less
    /// when the file is known to hold less; a whole run that delivers less ended early.
    int64_t AnnouncedSize() const { return announcedSize_; }

    const std::string& FileName() const { return fileName_; }
    /// Closes the current file; the new one opens at the next query or run. Refused while a
    /// run reads the source: the old name stays.
    void SetFileName(const std::string& fileName);

protected:
    void BeforeDestruction() override;

    /// Opens the file or stream and reads its parameters, setting valid_; does nothing while
    /// already open. Concrete readers take openLock_ and count opens in openCount_.
    virtual void EnsureOpen() = 0;
    /// Closes the file.
    virtual void ReleaseFile() = 0;

    void OpenSource() override;
    void CloseSource() override;

    std::recursive_mutex openLock_;
    int32_t openCount_ = 0;
    bool valid_ = false;
    uint32_t bitsPerSample_ = 0;
    uint32_t sampleRate_ = 0;
    uint32_t channels_ = 0;
    uint32_t totalSeconds_ = 0;
    int64_t announcedSize_ = -1;

private:
    std::string fileName_;
};

} // namespace corvath
