#pragma once

// We never call the library's stdio callbacks; without this the header defines them in every
// file that includes it.
#define OV_EXCLUDE_STATIC_CALLBACKS

#include "platform/dynlib/codec_library.h"

#include <ogg/ogg.h>
#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

namespace corvath {

/// The entry points of libogg that the Vorbis output calls.
struct OggApi {
    decltype(&ogg_stream_init) stream_init = nullptr;
    decltype(&ogg_stream_packetin) stream_packetin = nullptr;
    decltype(&ogg_stream_pageout) stream_pageout = nullptr;
    decltype(&ogg_stream_flush) stream_flush = nullptr;
    decltype(&ogg_page_eos) page_eos = nullptr;
    decltype(&ogg_stream_clear) stream_clear = nullptr;
};

/// The entry points of libvorbis that the Vorbis output calls.
struct VorbisApi {
    decltype(&vorbis_info_init) info_init = nullptr;
    decltype(&vorbis_info_clear) info_clear = nullptr;
    decltype(&vorbis_comment_init) comment_init = nullptr;
    decltype(&vorbis_comment_add) comment_add = nullptr;
    decltype(&vorbis_comment_add_tag) comment_add_tag = nullptr;
    decltype(&vorbis_comment_clear) comment_clear = nullptr;
    decltype(&vorbis_analysis_init) analysis_init = nullptr;
    decltype(&vorbis_block_init) block_init = nullptr;
    decltype(&vorbis_analysis_headerout) analysis_headerout = nullptr;
    decltype(&vorbis_analysis_buffer) analysis_buffer = nullptr;
    decltype(&vorbis_analysis_wrote) analysis_wrote = nullptr;
    decltype(&vorbis_analysis_blockout) analysis_blockout = nullptr;
    decltype(&vorbis_analysis) analysis = nullptr;
    decltype(&vorbis_bitrate_addblock) bitrate_addblock = nullptr;
    decltype(&vorbis_bitrate_flushpacket) bitrate_flushpacket = nullptr;
    decltype(&vorbis_block_clear) block_clear = nullptr;
    decltype(&vorbis_dsp_clear) dsp_clear = nullptr;
};

/// libvorbisfile is loaded with the others although nothing of it is called; one entry point
/// makes "loaded" mean that it is the library we expect.
struct VorbisFileApi {
    decltype(&ov_clear) clear = nullptr;
};

/// The entry points of libvorbisenc that the Vorbis output calls.
struct VorbisEncApi {
    decltype(&vorbis_encode_init) encode_init = nullptr;
    decltype(&vorbis_encode_setup_vbr) encode_setup_vbr = nullptr;
    decltype(&vorbis_encode_setup_init) encode_setup_init = nullptr;
};

/// The process-wide bindings ("libogg.so.0", "libvorbis.so.0", "libvorbisfile.so.3",
/// "libvorbisenc.so.2"). The windows load them at start, in this order, the command line when
/// the first Vorbis output is made; both free them at exit.
CodecLibrary<OggApi>& OggLibrary();
CodecLibrary<VorbisApi>& VorbisLibrary();
CodecLibrary<VorbisFileApi>& VorbisFileLibrary();
CodecLibrary<VorbisEncApi>& VorbisEncLibrary();

/// Raises EAuException with the not-loaded message of the first of the four libraries, in the
/// order above, that is not loaded. Any thread.
void RequireVorbisLibraries();

} // namespace corvath
