#pragma once

#include "audio/model/au_output.h"
#include "platform/files/audio_stream.h"

#include <memory>

namespace corvath {

/// A sink writing to a byte stream: its own (a file it opens) or one attached from outside.
class TAuStreamedOutput : public TAuOutput {
public:
    using TAuOutput::TAuOutput;

    /// Writes into an outside stream (kept by the caller); nullptr goes back to the sink's own.
    void SetStream(TAudioStream* stream) { attached_ = stream; }

protected:
    TAudioStream* Stream() const { return attached_ != nullptr ? attached_ : own_.get(); }
    bool StreamAttached() const { return attached_ != nullptr; }
    /// The stream the sink opened itself; it is closed by ReleaseStream.
    void SetOwnStream(std::unique_ptr<TAudioStream> stream) { own_ = std::move(stream); }
    /// Closes the sink's own stream; an attached one stays with its owner.
    void ReleaseStream() { own_.reset(); }

    void AbortOutput() override;

private:
    std::unique_ptr<TAudioStream> own_;
    TAudioStream* attached_ = nullptr;
};

} // namespace corvath
