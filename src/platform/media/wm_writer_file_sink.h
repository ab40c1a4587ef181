#pragma once

#include "platform/media/av_format_handles.h"

#include <string>

namespace corvath {

/// The file a writer writes into.
class WmWriterFileSink {
public:
    /// Creates or truncates the file; false when it cannot be (Failure() says why).
    bool Open(const std::string& fileName);
    bool IsOpen() const { return output_ != nullptr; }

    const std::string& FileName() const { return fileName_; }
    /// The open file's byte output.
    AVIOContext& Output() const { return *output_; }

    /// Writes what is buffered and closes the file; false when some bytes could not be written
    /// (Failure() says why).
    bool Close();

    /// The system's reason for the last failed Open or Close.
    const std::string& Failure() const { return failure_; }

private:
    bool Fail(int error);

    std::string fileName_;
    std::string failure_;
    AvioOutputPtr output_;
};

} // namespace corvath
