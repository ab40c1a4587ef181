#pragma once

#include <cstddef>
#include <cstdint>

namespace corvath {

enum class TSeekOrigin { Begin, Current, End };

/// A byte stream that audio components read from or write to: a file, or memory.
/// Positions and sizes are 64-bit byte counts. Not thread-safe; one component uses it at a time.
class TAudioStream {
public:
    virtual ~TAudioStream() = default;

    /// Reads up to count bytes; fewer only at the end of the stream. Throws EAuException when
    /// the medium fails.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;

    /// Writes all count bytes or throws EAuException (a full disk, a removed medium), so a
    /// short write is never taken for success.
    virtual void Write(const void* buffer, std::size_t count) = 0;

    /// Moves the position and returns the new one.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    /// Cuts or extends the stream to size bytes.
    virtual void SetSize(int64_t size) = 0;

    virtual int64_t Size();
    int64_t Position() { return Seek(0, TSeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::Begin); }

    /// False for streams that can only be read forward (pipes, network sources).
    virtual bool IsSeekable() const { return true; }
};

} // namespace corvath
