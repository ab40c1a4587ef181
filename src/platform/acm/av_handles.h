#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswresample/swresample.h>
}

#include <memory>

namespace corvath {

/// Owners for the FFmpeg objects; each deleter calls the library's own free function.

struct AvCodecContextDeleter {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
using AvCodecContextPtr = std::unique_ptr<AVCodecContext, AvCodecContextDeleter>;

struct AvCodecParserDeleter {
    void operator()(AVCodecParserContext* parser) const { av_parser_close(parser); }
};
using AvCodecParserPtr = std::unique_ptr<AVCodecParserContext, AvCodecParserDeleter>;

struct AvFrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using AvFramePtr = std::unique_ptr<AVFrame, AvFrameDeleter>;

struct AvPacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using AvPacketPtr = std::unique_ptr<AVPacket, AvPacketDeleter>;

struct SwrContextDeleter {
    void operator()(SwrContext* context) const { swr_free(&context); }
};
using SwrContextPtr = std::unique_ptr<SwrContext, SwrContextDeleter>;

} // namespace corvath
