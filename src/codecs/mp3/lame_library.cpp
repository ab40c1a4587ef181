#include "codecs/mp3/lame_library.h"

#include "audio/model/au_exception.h"

#include <cstdint>
#include <mutex>

namespace corvath {

namespace {

bool ResolveLame(const DynamicLibrary& library, LameApi& api)
{
    return library.Resolve("lame_init", api.lame_init) &&
           library.Resolve("lame_set_num_samples", api.lame_set_num_samples) &&
           library.Resolve("lame_set_in_samplerate", api.lame_set_in_samplerate) &&
           library.Resolve("lame_set_num_channels", api.lame_set_num_channels) &&
           library.Resolve("lame_set_out_samplerate", api.lame_set_out_samplerate) &&
           library.Resolve("lame_set_mode", api.lame_set_mode) &&
           library.Resolve("lame_set_copyright", api.lame_set_copyright) &&
           library.Resolve("lame_set_original", api.lame_set_original) &&
           library.Resolve("lame_set_error_protection", api.lame_set_error_protection) &&
           library.Resolve("lame_set_brate", api.lame_set_brate) &&
           library.Resolve("lame_set_quality", api.lame_set_quality) &&
           library.Resolve("lame_set_bWriteVbrTag", api.lame_set_bWriteVbrTag) &&
           library.Resolve("lame_set_VBR", api.lame_set_VBR) &&
           library.Resolve("lame_set_VBR_q", api.lame_set_VBR_q) &&
           library.Resolve("lame_set_VBR_min_bitrate_kbps", api.lame_set_VBR_min_bitrate_kbps) &&
           library.Resolve("lame_set_VBR_max_bitrate_kbps", api.lame_set_VBR_max_bitrate_kbps) &&
           library.Resolve("lame_init_params", api.lame_init_params) &&
           library.Resolve("lame_encode_buffer_interleaved", api.lame_encode_buffer_interleaved) &&
           library.Resolve("id3tag_init", api.id3tag_init) &&
           library.Resolve("lame_encode_flush", api.lame_encode_flush) &&
           library.Resolve("lame_get_lametag_frame", api.lame_get_lametag_frame) &&
           library.Resolve("lame_close", api.lame_close);
}

std::mutex useLock;
int32_t useCount = 0;

} // namespace

CodecLibrary<LameApi>& LameLibrary()
{
    static CodecLibrary<LameApi> library("libmp3lame.so.0", ResolveLame);
    return library;
}

LameLibraryUse::LameLibraryUse()
{
    std::lock_guard lock(useLock);
    CodecLibrary<LameApi>& library = LameLibrary();
    if (useCount == 0 && !library.Load())
        throw EAuException(library.NotLoadedMessage());
    ++useCount;
}

LameLibraryUse::~LameLibraryUse()
{
    std::lock_guard lock(useLock);
    if (--useCount == 0)
        LameLibrary().Unload();
}

void LameHandleDeleter::operator()(lame_global_flags* handle) const
{
    LameLibrary().Functions().lame_close(handle);
}

} // namespace corvath
