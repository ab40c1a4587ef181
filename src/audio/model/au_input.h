#pragma once

#include "audio/model/component.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace corvath {

/// Bytes handed out by a source: a pointer into the source's own buffer, valid until its next
/// read, and their count. A null pointer or 0 bytes means the source has nothing more.
struct AudioChunk {
    uint8_t* data = nullptr;
    uint32_t bytes = 0;
};

/// A source of interleaved little-endian PCM (8-bit unsigned, 16- and 24-bit signed).
///
/// A sink's worker opens the source with BeginRead, pulls blocks with ReadData (or ReadInto,
/// ReadFull) and closes it with EndRead; all of these take the source's re-entrant data lock,
/// so they may come from any thread. Sizes and positions are 64-bit byte counts, -1 unknown.
class TAuInput : public TComponent {
public:
    using TComponent::TComponent;

    virtual uint32_t GetBitsPerSample() = 0;
    virtual uint32_t GetChannels() = 0;
    virtual uint32_t GetSampleRate() = 0;
    virtual uint32_t GetTotalSeconds() { return 0; }
    /// Frames in total; -1 unknown.
    virtual int64_t GetSampleCount() { return 0; }

    /// Opens the source for a run. A failure to open is not raised: the source is then at its
    /// end and delivers nothing.
    void BeginRead();
    /// BeginRead for a run that needs the sound: a failure to open is raised with its reason.
    void OpenForRun();
    /// Closes the source after a run; exceptions of the close pass on.
    void EndRead();

    /// The next block of at most wanted bytes, or nothing at the end.
    virtual AudioChunk ReadData(uint32_t wanted);
    /// One ReadData copied into dest; the bytes copied.
    uint32_t ReadInto(void* dest, uint32_t capacity);
    /// ReadInto until size bytes are gathered or the source ends (atEnd then true).
    uint32_t ReadFull(void* dest, uint32_t size, bool& atEnd);

    /// Closes the source whatever state it is in, ignoring failures.
    virtual void ForceClose();
    virtual void SuspendSource() {}
    virtual void ResumeSource() {}

    bool IsBusy() const { return busy_; }
    /// Bytes delivered since the source was opened (or last looped back).
    int64_t Position() const { return position_; }
    /// Bytes the source delivers in all; -1 unknown.
    int64_t Size() const { return size_; }
    uint16_t FrameBytes() const { return frameBytes_; }

protected:
    virtual void OpenSource() = 0;
    virtual void CloseSource() = 0;
    /// The next block of at most wanted bytes; 0 bytes once exhausted. Called under the lock.
    virtual AudioChunk ReadChunk(uint32_t wanted) = 0;

    /// Property setters refuse changes while a run reads the source: the old value stays. Under
    /// the data lock, so a run cannot open between the check and the change.
    template <typename T> void SetWhileIdle(T& field, T value)
    {
        std::lock_guard lock(dataLock_);
        if (!busy_)
            field = value;
    }

    std::recursive_mutex dataLock_;
    std::atomic<int64_t> position_{0};
    std::atomic<int64_t> size_{-1};
    uint16_t frameBytes_ = 0;
    std::atomic<bool> busy_{false};
    bool endOfStream_ = false;
    std::string openFailure_;
    // The unread part of the source's own read buffer, 1-based: first > last means refill.
    uint32_t bufferFirst_ = 1;
    uint32_t bufferLast_ = 0;
};

} // namespace corvath
