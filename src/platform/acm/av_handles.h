#pragma once

#include "platform/acm/ffmpeg_library.h"

#include <memory>

namespace corvath {

/// Owners for the FFmpeg objects; each deleter calls the library's own free function.

struct AvCodecContextDeleter {
    void operator()(AVCodecContext* context) const { Ffmpeg().avcodec_free_context(&context); }
};
using AvCodecContextPtr = std::unique_ptr<AVCodecContext, AvCodecContextDeleter>;

struct AvCodecParserDeleter {
    void operator()(AVCodecParserContext* parser) const { Ffmpeg().av_parser_close(parser); }
};
using AvCodecParserPtr = std::unique_ptr<AVCodecParserContext, AvCodecParserDeleter>;

struct AvFrameDeleter {
    void operator()(AVFrame* frame) const { Ffmpeg().av_frame_free(&frame); }
};
using AvFramePtr = std::unique_ptr<AVFrame, AvFrameDeleter>;

struct AvPacketDeleter {
    void operator()(AVPacket* packet) const { Ffmpeg().av_packet_free(&packet); }
};
using AvPacketPtr = std::unique_ptr<AVPacket, AvPacketDeleter>;

struct SwrContextDeleter {
    void operator()(SwrContext* context) const { Ffmpeg().swr_free(&context); }
};
using SwrContextPtr = std::unique_ptr<SwrContext, SwrContextDeleter>;

} // namespace corvath
