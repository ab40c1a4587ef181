#include "codecs/vorbis/vorbis_libraries.h"

#include "audio/model/au_exception.h"

namespace corvath {

CodecLibrary<OggApi>& OggLibrary()
{
    static CodecLibrary<OggApi> library("libogg.so.0", [](const DynamicLibrary& lib, OggApi& api) {
        return lib.Resolve("ogg_stream_init", api.stream_init) &&
               lib.Resolve("ogg_stream_packetin", api.stream_packetin) &&
               lib.Resolve("ogg_stream_pageout", api.stream_pageout) &&
               lib.Resolve("ogg_stream_flush", api.stream_flush) &&
               lib.Resolve("ogg_page_eos", api.page_eos) &&
               lib.Resolve("ogg_stream_clear", api.stream_clear);
    });
    return library;
}

CodecLibrary<VorbisApi>& VorbisLibrary()
{
    static CodecLibrary<VorbisApi> library(
        "libvorbis.so.0", [](const DynamicLibrary& lib, VorbisApi& api) {
            return lib.Resolve("vorbis_info_init", api.info_init) &&
                   lib.Resolve("vorbis_info_clear", api.info_clear) &&
                   lib.Resolve("vorbis_comment_init", api.comment_init) &&
                   lib.Resolve("vorbis_comment_add", api.comment_add) &&
                   lib.Resolve("vorbis_comment_add_tag", api.comment_add_tag) &&
                   lib.Resolve("vorbis_comment_clear", api.comment_clear) &&
                   lib.Resolve("vorbis_analysis_init", api.analysis_init) &&
                   lib.Resolve("vorbis_block_init", api.block_init) &&
                   lib.Resolve("vorbis_analysis_headerout", api.analysis_headerout) &&
                   lib.Resolve("vorbis_analysis_buffer", api.analysis_buffer) &&
                   lib.Resolve("vorbis_analysis_wrote", api.analysis_wrote) &&
                   lib.Resolve("vorbis_analysis_blockout", api.analysis_blockout) &&
                   lib.Resolve("vorbis_analysis", api.analysis) &&
                   lib.Resolve("vorbis_bitrate_addblock", api.bitrate_addblock) &&
                   lib.Resolve("vorbis_bitrate_flushpacket", api.bitrate_flushpacket) &&
                   lib.Resolve("vorbis_block_clear", api.block_clear) &&
                   lib.Resolve("vorbis_dsp_clear", api.dsp_clear);
        });
    return library;
}

CodecLibrary<VorbisFileApi>& VorbisFileLibrary()
{
    static CodecLibrary<VorbisFileApi> library("libvorbisfile.so.3",
                                               [](const DynamicLibrary& lib, VorbisFileApi& api) {
                                                   return lib.Resolve("ov_clear", api.clear);
                                               });
    return library;
}

CodecLibrary<VorbisEncApi>& VorbisEncLibrary()
{
    static CodecLibrary<VorbisEncApi> library(
        "libvorbisenc.so.2", [](const DynamicLibrary& lib, VorbisEncApi& api) {
            return lib.Resolve("vorbis_encode_init", api.encode_init) &&
                   lib.Resolve("vorbis_encode_setup_vbr", api.encode_setup_vbr) &&
                   lib.Resolve("vorbis_encode_setup_init", api.encode_setup_init);
        });
    return library;
}

void RequireVorbisLibraries()
{
    RequireLoaded(OggLibrary());
    RequireLoaded(VorbisLibrary());
    RequireLoaded(VorbisFileLibrary());
    RequireLoaded(VorbisEncLibrary());
}

} // namespace corvath
