#include "audio/model/au_file_out.h"

#include "audio/model/au_exception.h"
#include "audio/model/au_file_stream.h"
#include "platform/files/partial_file.h"

#include <cerrno>
#include <cstring>
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
    madeFile_ = false;
    TAuInput& input = *Input();
    input.OpenForRun();
    CheckInput(input);
    const bool ownFile = !(throughStream && StreamAttached());
    // Appending changes the file in place; anything else is written whole beside it first.
    const bool append = fileMode_ == foAppend && std::filesystem::exists(FileName());
    workingName_ = ownFile && !append ? PartialName(FileName()) : FileName();
    if (ownFile && !append)
        LockTarget(); // an append's own open refuses a file in use
    if (throughStream && ownFile)
        OpenOwnFile(append);
    StartFile(input);
}

void TAuFileOut::OpenOwnFile(bool append)
{
    auto file = std::make_unique<TAuFileStream>(
        workingName_, append ? TAuFileStream::kReadWriteExclusive : TAuFileStream::kCreate);
    createdFile_ = append ? nullptr : file.get();
    SetOwnStream(std::move(file));
}

void TAuFileOut::LockTarget()
{
    std::error_code ignored;
    // Found now, not when the complete file cannot take the name.
    if (std::filesystem::is_directory(FileName(), ignored))
        throw EAuException("Cannot create file " + FileName() + ": " + std::strerror(EISDIR));
    if (!std::filesystem::exists(FileName(), ignored))
        return;
    targetLock_ = FileShareLock::Acquire(FileName(), {.read = true, .write = true});
    if (!targetLock_)
        throw EAuException("Cannot create file " + FileName() + ": the file is in use");
}

void TAuFileOut::SetFileName(const std::string& fileName)
{
    if (IsBusy())
        return;
    fileName_ = fileName;
    madeFile_ = false;
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
        completedFileStep_(workingName_);
    // A stopped run's file is not complete: it stays under its partial name.
    if (!WasStopped()) {
        if (workingName_ != FileName()) {
            if (const std::string failure = Publish(workingName_, FileName()); !failure.empty())
                throw EAuException(failure);
        }
        madeFile_ = true;
    }
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
        std::filesystem::remove(workingName_, ignored);
    }
}

std::string TAuFileOut::FailureText(const std::string& text) const
{
    return NamingFinal(text, workingName_, FileName());
}

} // namespace corvath
