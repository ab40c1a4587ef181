#include "audio/model/au_streamed_input.h"

#include <exception>

namespace corvath {

void TAuStreamedInput::SetStream(TAudioStream* stream)
{
    attached_ = stream;
}

bool TAuStreamedInput::SeekTo(int64_t frame)
{
    std::lock_guard lock(dataLock_);
    if (!seekable_ || (totalFrames_ != 0 && frame > totalFrames_))
        return false;
    if (!busy_) {
        startSample_ = frame;
        position_ = frame * frameBytes_;
        endSample_ = -1;
        return true;
    }
    int64_t target = frame + startSample_;
    bool moved = false;
    try {
        moved = SeekSource(target);
    } catch (const std::exception&) {
        moved = false;
    }
    position_ = (target - startSample_) * frameBytes_;
    return moved;
}

AudioChunk TAuStreamedInput::ReadData(uint32_t wanted)
{
    std::lock_guard lock(dataLock_);
    if (endOfStream_)
        return {};
    for (int attempt = 0;; ++attempt) {
        const AudioChunk chunk = ReadChunk(wanted);
        if (chunk.bytes == 0) {
            endOfStream_ = true;
        } else {
            position_ += chunk.bytes;
            if (size_ > 0 && position_ >= size_)
                endOfStream_ = true;
        }
        if (!endOfStream_ || !loop_ || attempt > 0)
            return chunk;
        // Looping: back to the start of the range, and one more read.
        endOfStream_ = false;
        if (seekable_) {
            int64_t start = startSample_;
            SeekSource(start);
        } else {
            EndRead();
            BeginRead();
        }
        position_ = 0;
        if (chunk.bytes > 0)
            return chunk;
    }
}

} // namespace corvath
