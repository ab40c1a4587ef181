#pragma once

#include <cstdint>
#include <string>

#include "audio/model/au_streamed_output.h"

namespace corvath {

enum TFileOutputMode : uint8_t { foRewrite = 0, foAppend = 1 };

/// A sink writing a named file.
class TAuFileOut : public TAuStreamedOutput {
public:
    using TAuStreamedOutput::TAuStreamedOutput;

    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& fileName) { fileName_ = fileName; }

    TFileOutputMode FileMode() const { return fileMode_; }
    /// Sinks that cannot append keep foRewrite whatever is asked.
    virtual void SetFileMode(TFileOutputMode /*mode*/) { fileMode_ = foRewrite; }

protected:
    TFileOutputMode fileMode_ = foRewrite;

private:
    std::string fileName_;
};

} // namespace corvath
