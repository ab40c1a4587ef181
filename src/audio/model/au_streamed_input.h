#pragma once

#include "audio/model/au_input.h"
#include "platform/files/audio_stream.h"

#include <memory>

namespace corvath {

/// A source reading from a byte stream, with a sample range and looping.
class TAuStreamedInput : public TAuInput {
public:
    using TAuInput::TAuInput;

    /// Reads from an outside stream (kept by the caller) instead of the source's own; nullptr
    /// goes back to the source's own.
    virtual void SetStream(TAudioStream* stream);

    /// Moves to frame. While busy, the frame counts from StartSample and the next read comes
    /// from there; while idle, the frame becomes the StartSample of the next run. False when
    /// the stream cannot seek or the frame lies past the end.
    bool SeekTo(int64_t frame);

    AudioChunk ReadData(uint32_t wanted) override;

    int64_t StartSample() const { return startSample_; }
    void SetStartSample(int64_t frame) { startSample_ = frame; }
    /// The last frame of a run (inclusive); -1 to the end.
    int64_t EndSample() const { return endSample_; }
    void SetEndSample(int64_t frame) { endSample_ = frame; }
    bool Loop() const { return loop_; }
    void SetLoop(bool loop) { loop_ = loop; }

protected:
    /// Positions the stream so that the next ReadChunk starts at frame.
    virtual bool SeekSource(int64_t& frame) = 0;

    /// The stream in use: the outside one, or the source's own.
    TAudioStream* Stream() const { return attached_ != nullptr ? attached_ : own_.get(); }
    bool StreamAttached() const { return attached_ != nullptr; }

    std::unique_ptr<TAudioStream> own_;
    bool seekable_ = true;
    int64_t totalFrames_ = 0;

private:
    TAudioStream* attached_ = nullptr;
    int64_t startSample_ = 0;
    int64_t endSample_ = -1;
    bool loop_ = false;
};

} // namespace corvath
