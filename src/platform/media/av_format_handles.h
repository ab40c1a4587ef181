#pragma once

#include "platform/acm/ffmpeg_library.h"

#include <memory>

namespace corvath {

/// Owners for the FFmpeg objects of reading and writing containers.

/// An output format context; its byte output (pb) belongs to someone else.
struct AvFormatOutputDeleter {
    void operator()(AVFormatContext* context) const { Ffmpeg().avformat_free_context(context); }
};
using AvFormatOutputPtr = std::unique_ptr<AVFormatContext, AvFormatOutputDeleter>;

/// A file opened with avio_open. Closing flushes what is buffered without reporting a failure,
/// so a caller that needs to know flushes and checks first.
struct AvioOutputDeleter {
    void operator()(AVIOContext* context) const { Ffmpeg().avio_closep(&context); }
};
using AvioOutputPtr = std::unique_ptr<AVIOContext, AvioOutputDeleter>;

struct AvAudioFifoDeleter {
    void operator()(AVAudioFifo* fifo) const { Ffmpeg().av_audio_fifo_free(fifo); }
};
using AvAudioFifoPtr = std::unique_ptr<AVAudioFifo, AvAudioFifoDeleter>;

/// An input opened with avformat_open_input (a caller-supplied AVIOContext stays with its
/// owner).
struct AvFormatInputDeleter {
    void operator()(AVFormatContext* context) const { Ffmpeg().avformat_close_input(&context); }
};
using AvFormatInputPtr = std::unique_ptr<AVFormatContext, AvFormatInputDeleter>;

/// A context from avio_alloc_context; its buffer may have been replaced by FFmpeg, so the one
/// it holds at the end is the one freed.
struct AvioCustomContextDeleter {
    void operator()(AVIOContext* context) const
    {
        Ffmpeg().av_freep(&context->buffer);
        Ffmpeg().avio_context_free(&context);
    }
};
using AvioCustomContextPtr = std::unique_ptr<AVIOContext, AvioCustomContextDeleter>;

} // namespace corvath
