#pragma once

#include "audio/model/au_streamed_output.h"
#include "platform/files/file_share.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace corvath {

class TAuFileStream;

enum TFileOutputMode : uint8_t { foRewrite = 0, foAppend = 1 };

/// How a file sink reaches its file: through its byte stream (its own file, or an attached
/// stream), or through a library that opens the file by name itself and ignores any stream.
enum class TFileWriter : uint8_t { kStream, kByName };

/// A sink writing a named file. Every run starts and ends the same way: the file name is
/// checked, the input opened and checked (before the file is touched, so a refused input
/// never costs the old file), the file opened, and at the end completed, closed and the input
/// closed. A run that fails after it changed the file removes the file: a half-written file is
/// no use, and an old file it did not reach stays as it was. The concrete sinks fill in the
/// hooks, all on the worker.
class TAuFileOut : public TAuStreamedOutput {
public:
    explicit TAuFileOut(TComponent* owner = nullptr, TFileWriter writer = TFileWriter::kStream);

    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& fileName) { fileName_ = fileName; }

    /// Runs on the worker once each file is complete and closed, before the run counts as done:
    /// the tag writer of a format whose encoder writes no tags. What it throws fails the run, and
    /// the file this run made is removed. Kept from run to run; set while idle.
    void SetCompletedFileStep(std::function<void(const std::string& fileName)> step);
    const std::function<void(const std::string& fileName)>& CompletedFileStep() const
    {
        return completedFileStep_;
    }

    TFileOutputMode FileMode() const { return fileMode_; }
    /// Sinks that cannot append keep foRewrite whatever is asked.
    virtual void SetFileMode(TFileOutputMode /*mode*/) {}

protected:
    /// Refuses an input the sink cannot take; the input is open, the file not yet.
    virtual void CheckInput(TAuInput& /*input*/) {}
    /// Writes the start of the file (headers, encoder set-up); the target is open now.
    virtual void StartFile(TAuInput& input) = 0;
    /// Completes the file (encoder flush, sizes); the stream and the input close afterwards.
    virtual void EndFile() = 0;

    /// For the sinks that can append; kept while a run is on, as the run reads it.
    void StoreFileMode(TFileOutputMode mode) { SetWhileIdle(fileMode_, mode); }

    /// For the sinks that open the file by name: from now on a failure removes the file.
    void TargetOpened() { removeOnFailure_ = true; }

    void AbortOutput() override;

private:
    void PrepareOutput() final;
    void FinishOutput() final;
    /// The sink's own file: created, or opened for appending when asked and it exists.
    void OpenOwnFile();
    /// Keeps the program's other opens off a file that a library will open by name.
    void LockTarget();
    /// Whether the run created or opened and changed its file, so a failure must remove it.
    bool RunChangedFile() const;

    const TFileWriter writer_;
    TFileOutputMode fileMode_ = foRewrite;
    std::string fileName_;
    /// The file this run created or rewrites itself; nothing when appending or attached.
    TAuFileStream* createdFile_ = nullptr;
    std::optional<FileShareLock> targetLock_;
    /// The file is the run's own doing: a failure removes it.
    bool removeOnFailure_ = false;
    std::function<void(const std::string&)> completedFileStep_;
};

} // namespace corvath
