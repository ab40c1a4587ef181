#pragma once

#include "platform/files/audio_stream.h"
#include "platform/media/av_format_handles.h"

namespace corvath {

/// Lets FFmpeg read one of our streams: an AVIOContext whose reads and seeks go to a
/// TAudioStream that the adapter does not own. Byte 0 of the adapter is the stream's position
/// when the adapter was made, so a container that starts further in can be presented as if it
/// began there. Offsets are 64-bit. Errors of the stream reach FFmpeg as I/O errors, never as
/// exceptions. Made only once FFmpeg is available (FfmpegAvailable()).
class AvioStreamAdapter {
public:
    /// Throws std::bad_alloc when FFmpeg cannot allocate the context.
    explicit AvioStreamAdapter(TAudioStream& stream);
    AvioStreamAdapter(const AvioStreamAdapter&) = delete;
    AvioStreamAdapter& operator=(const AvioStreamAdapter&) = delete;

    AVIOContext* Context() const { return context_.get(); }

private:
    static int Read(void* opaque, uint8_t* buffer, int size);
    static int64_t Seek(void* opaque, int64_t offset, int whence);

    TAudioStream& stream_;
    int64_t start_;
    AvioCustomContextPtr context_;
};

} // namespace corvath
