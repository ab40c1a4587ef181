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
    TAuInput& input = *Input();
    input.BeginRead();
    CheckInput(input);
    if (throughStream && !StreamAttached())
        OpenOwnFile();
    StartFile(input);
}

void TAuFileOut::OpenOwnFile()
{
    const bool append = fileMode_ == foAppend && std::filesystem::exists(FileName());
    SetOwnStream(std::make_unique<TAuFileStream>(
        FileName(), append ? TAuFileStream::kReadWriteExclusive : TAuFileStream::kCreate));
}

void TAuFileOut::FinishOutput()
{
    EndFile();
    ReleaseStream();
    Input()->EndRead();
}

} // namespace corvath
