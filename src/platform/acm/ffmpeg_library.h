#pragma once

#include "platform/dynlib/codec_library.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
}

namespace corvath {

// Every FFmpeg entry point the program calls. FFmpeg and the hundred libraries it pulls in cost
// a command-line run more time than a short conversion, so it is opened at run time, at its
// first use, never linked.
#define CORVATH_FFMPEG_FUNCTIONS(X)                                                                \
    X(av_audio_fifo_alloc)                                                                         \
    X(av_audio_fifo_free)                                                                          \
    X(av_audio_fifo_read)                                                                          \
    X(av_audio_fifo_size)                                                                          \
    X(av_audio_fifo_write)                                                                         \
    X(av_channel_layout_compare)                                                                   \
    X(av_channel_layout_copy)                                                                      \
    X(av_channel_layout_default)                                                                   \
    X(av_channel_layout_uninit)                                                                    \
    X(av_dict_get)                                                                                 \
    X(av_dict_set)                                                                                 \
    X(av_frame_alloc)                                                                              \
    X(av_frame_free)                                                                               \
    X(av_frame_get_buffer)                                                                         \
    X(av_frame_make_writable)                                                                      \
    X(av_frame_unref)                                                                              \
    X(av_free)                                                                                     \
    X(av_freep)                                                                                    \
    X(av_log_set_level)                                                                            \
    X(av_malloc)                                                                                   \
    X(av_mallocz)                                                                                  \
    X(av_new_packet)                                                                               \
    X(av_packet_alloc)                                                                             \
    X(av_packet_free)                                                                              \
    X(av_packet_move_ref)                                                                          \
    X(av_packet_rescale_ts)                                                                        \
    X(av_packet_unref)                                                                             \
    X(av_parser_close)                                                                             \
    X(av_parser_init)                                                                              \
    X(av_parser_parse2)                                                                            \
    X(av_read_frame)                                                                               \
    X(av_rescale_q)                                                                                \
    X(av_samples_set_silence)                                                                      \
    X(av_seek_frame)                                                                               \
    X(av_strdup)                                                                                   \
    X(av_strerror)                                                                                 \
    X(av_write_frame)                                                                              \
    X(av_write_trailer)                                                                            \
    X(avcodec_alloc_context3)                                                                      \
    X(avcodec_find_decoder)                                                                        \
    X(avcodec_find_encoder)                                                                        \
    X(avcodec_flush_buffers)                                                                       \
    X(avcodec_free_context)                                                                        \
    X(avcodec_open2)                                                                               \
    X(avcodec_parameters_from_context)                                                             \
    X(avcodec_parameters_to_context)                                                               \
    X(avcodec_receive_frame)                                                                       \
    X(avcodec_receive_packet)                                                                      \
    X(avcodec_send_frame)                                                                          \
    X(avcodec_send_packet)                                                                         \
    X(avformat_alloc_context)                                                                      \
    X(avformat_alloc_output_context2)                                                              \
    X(avformat_close_input)                                                                        \
    X(avformat_find_stream_info)                                                                   \
    X(avformat_free_context)                                                                       \
    X(avformat_new_stream)                                                                         \
    X(avformat_open_input)                                                                         \
    X(avformat_write_header)                                                                       \
    X(avio_alloc_context)                                                                          \
    X(avio_closep)                                                                                 \
    X(avio_context_free)                                                                           \
    X(avio_flush)                                                                                  \
    X(avio_open)                                                                                   \
    X(avio_read)                                                                                   \
    X(avio_rl64)                                                                                   \
    X(avio_seek)                                                                                   \
    X(swr_alloc_set_opts2)                                                                         \
    X(swr_convert)                                                                                 \
    X(swr_free)                                                                                    \
    X(swr_get_out_samples)                                                                         \
    X(swr_init)

#define CORVATH_FFMPEG_POINTER(name) decltype(&::name) name = nullptr;
struct FfmpegApi {
    CORVATH_FFMPEG_FUNCTIONS(CORVATH_FFMPEG_POINTER)
};
#undef CORVATH_FFMPEG_POINTER

/// The process's binding of libavformat (which brings libavcodec, libswresample and libavutil
/// with it), by the file name of the major versions we were built against.
CodecLibrary<FfmpegApi>& FfmpegLibrary();

/// Loads FFmpeg unless it is loaded; false when it cannot be. Every path into FFmpeg asks this
/// before its first call. Any thread.
bool FfmpegAvailable();

/// The entry points; only once FfmpegAvailable() said true.
inline const FfmpegApi& Ffmpeg()
{
    return FfmpegLibrary().Functions();
}

/// Whether FFmpeg's own messages (about damaged files) reach standard error; they do unless
/// told otherwise. Takes effect now or when FFmpeg is loaded.
void ShowMediaLibraryLog(bool show);

} // namespace corvath
