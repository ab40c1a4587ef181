#include "audio/model/au_file_out.h"

#include "audio/model/au_exception.h"
#include "audio/model/au_file_stream.h"

#include <filesystem>

namespace corvath {

TAuFileOut::TAuFileOut(TComponent* owner, TFileWriter writer)
    : TAuStreamedOutput(owner), writer_(writer)
{
}

void TAuFileOut::PrepareOutput()
{
    const bool throughStream = writer_ == TFileWriter::kStream;
    if (!(throughStream && StreamAttached()) && FileName().empty())
        throw EAuException("File name is not assigned.");
    createdFile_ = nullptr;
    removeOnFailure_ = false;
    TAuInput& input = *Input();
    input.OpenForRun();
    CheckInput(input);
    if (!throughStream)
        LockTarget();
    else if (!StreamAttached())
        OpenOwnFile();
    StartFile(input);
}

void TAuFileOut::OpenOwnFile()
{
    const bool append = fileMode_ == foAppend && std::filesystem::exists(FileName());
    auto file = std::make_unique<TAuFileStream>(
        FileName(), append ? TAuFileStream::kReadWriteExclusive : TAuFileStream::kCreate);
    createdFile_ = append ? nullptr : file.get();
    SetOwnStream(std::move(file));
}

void TAuFileOut::LockTarget()
{
    targetLock_ = FileShareLock::Acquire(FileName(), {.read = true, .write = true});
    if (!targetLock_)
        throw EAuException("Cannot create file " + FileName() + ": the file is in use");
}

void TAuFileOut::SetCompletedFileStep(std::function<void(const std::string& fileName)> step)
{
    if (!IsBusy())
        completedFileStep_ = std::move(step);
}

void TAuFileOut::FinishOutput()
{
    EndFile();
    removeOnFailure_ = RunChangedFile();
    createdFile_ = nullptr;
    ReleaseStream();
    if (completedFileStep_)
        completedFileStep_(FileName());
    removeOnFailure_ = false;
    targetLock_.reset();
    Input()->EndRead();
}

bool TAuFileOut::RunChangedFile() const
{
    return removeOnFailure_ || (createdFile_ != nullptr && createdFile_->ChangedFile());
}

void TAuFileOut::AbortOutput()
{
    const bool remove = RunChangedFile();
    removeOnFailure_ = false;
    createdFile_ = nullptr;
    TAuStreamedOutput::AbortOutput();
    targetLock_.reset();
    if (remove) {
        std::error_code ignored;
        std::filesystem::remove(FileName(), ignored);
    }
}

} // namespace corvath
