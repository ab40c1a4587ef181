#pragma once

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
}

#include <memory>

namespace corvath {

/// Owners for the FFmpeg objects of writing a file.

/// An output format context; its byte output (pb) belongs to someone else.
struct AvFormatOutputDeleter {
    void operator()(AVFormatContext* context) const { avformat_free_context(context); }
};
using AvFormatOutputPtr = std::unique_ptr<AVFormatContext, AvFormatOutputDeleter>;

/// A file opened with avio_open. Closing flushes what is buffered without reporting a failure,
/// so a caller that needs to know flushes and checks first.
struct AvioOutputDeleter {
    void operator()(AVIOContext* context) const { avio_closep(&context); }
};
using AvioOutputPtr = std::unique_ptr<AVIOContext, AvioOutputDeleter>;

struct AvAudioFifoDeleter {
    void operator()(AVAudioFifo* fifo) const { av_audio_fifo_free(fifo); }
};
using AvAudioFifoPtr = std::unique_ptr<AVAudioFifo, AvAudioFifoDeleter>;

} // namespace corvath
