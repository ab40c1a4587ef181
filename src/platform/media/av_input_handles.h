#pragma once

extern "C" {
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/mem.h>
}

#include <memory>

namespace corvath {

/// Owners for the FFmpeg objects of reading a container from our own streams.

/// An input opened with avformat_open_input (a caller-supplied AVIOContext stays with its
/// owner).
struct AvFormatInputDeleter {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using AvFormatInputPtr = std::unique_ptr<AVFormatContext, AvFormatInputDeleter>;

/// A context from avio_alloc_context; its buffer may have been replaced by FFmpeg, so the one
/// it holds at the end is the one freed.
struct AvioCustomContextDeleter {
    void operator()(AVIOContext* context) const
    {
        av_freep(&context->buffer);
        avio_context_free(&context);
    }
};
using AvioCustomContextPtr = std::unique_ptr<AVIOContext, AvioCustomContextDeleter>;

} // namespace corvath
