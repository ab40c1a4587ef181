#pragma once

#include "audio/model/au_streamed_output.h"
#include "platform/files/file_share.h"

#include <atomic>
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
/// never costs the old file), the file opened under its partial name (PartialName) beside the
/// final one, and at the end completed, closed, given its final name and the input closed. So
/// the final name only ever holds a complete file: a run that fails removes its partial file
/// and leaves an older file of the name as it was; a stopped run leaves its partial file under
/// the partial name; a link at the final name is replaced, not followed. Appending changes
/// the file in place. The concrete sinks fill in the hooks, all on the worker.
class TAuFileOut : public TAuStreamedOutput {
public:
    explicit TAuFileOut(TComponent* owner = nullptr, TFileWriter writer = TFileWriter::kStream);

    const std::string& FileName() const { return fileName_; }
    /// Kept while a run is on: the run gives its file this name when it ends.
    void SetFileName(const std::string& fileName);

    /// Runs on the worker once each file is complete and closed, before it takes its final name
    /// and the run counts as done: the tag writer of a format whose encoder writes no tags. It
    /// gets the file's partial name. What it throws fails the run, and the file this run made is
    /// removed. Kept from run to run; set while idle.
    void SetCompletedFileStep(std::function<void(const std::string& fileName)> step);
    const std::function<void(const std::string& fileName)>& CompletedFileStep() const
    {
        return completedFileStep_;
    }

    /// Whether the last run completed its file under its final name; a stop that came just
    /// after it did leaves the file made all the same.
    bool MadeFile() const { return madeFile_; }

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

    /// The name the sinks that open the file by name open: the partial one while a run writes.
    const std::string& WorkingName() const { return workingName_; }
    /// For the sinks that open the file by name: from now on a failure removes the file.
    void TargetOpened() { removeOnFailure_ = true; }

    void AbortOutput() override;
    /// Names the file by its final name: the partial one is the sink's own business.
    std::string FailureText(const std::string& text) const override;

private:
    void PrepareOutput() final;
    void FinishOutput() final;
    /// The sink's own file: created under the working name, or opened for appending.
    void OpenOwnFile(bool append);
    /// Refuses a final file the program's other opens hold, and keeps them off it meanwhile.
    void LockTarget();
    /// Whether the run created or opened and changed its file, so a failure must remove it.
    bool RunChangedFile() const;

    const TFileWriter writer_;
    TFileOutputMode fileMode_ = foRewrite;
    std::string fileName_;
    std::string workingName_; ///< the file the run writes: the partial name, or when appending
                              ///< the file itself
    /// The file this run created or rewrites itself; nothing when appending or attached.
    TAuFileStream* createdFile_ = nullptr;
    std::optional<FileShareLock> targetLock_;
    /// The file is the run's own doing: a failure removes it.
    bool removeOnFailure_ = false;
    std::function<void(const std::string&)> completedFileStep_;
    std::atomic<bool> madeFile_{false};
};

} // namespace corvath
