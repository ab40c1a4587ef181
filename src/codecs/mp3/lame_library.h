#pragma once

#include "platform/dynlib/codec_library.h"

#include <lame/lame.h>
#include <memory>

namespace corvath {

/// The LAME entry points the MP3 output calls; the library is opened by file name at run time,
/// never linked.
struct LameApi {
    decltype(&::lame_init) lame_init = nullptr;
    decltype(&::lame_set_num_samples) lame_set_num_samples = nullptr;
    decltype(&::lame_set_in_samplerate) lame_set_in_samplerate = nullptr;
    decltype(&::lame_set_num_channels) lame_set_num_channels = nullptr;
    decltype(&::lame_set_out_samplerate) lame_set_out_samplerate = nullptr;
    decltype(&::lame_set_mode) lame_set_mode = nullptr;
    decltype(&::lame_set_copyright) lame_set_copyright = nullptr;
    decltype(&::lame_set_original) lame_set_original = nullptr;
    decltype(&::lame_set_error_protection) lame_set_error_protection = nullptr;
    decltype(&::lame_set_brate) lame_set_brate = nullptr;
    decltype(&::lame_set_quality) lame_set_quality = nullptr;
    decltype(&::lame_set_bWriteVbrTag) lame_set_bWriteVbrTag = nullptr;
    decltype(&::lame_set_VBR) lame_set_VBR = nullptr;
    decltype(&::lame_set_VBR_q) lame_set_VBR_q = nullptr;
    decltype(&::lame_set_VBR_min_bitrate_kbps) lame_set_VBR_min_bitrate_kbps = nullptr;
    decltype(&::lame_set_VBR_max_bitrate_kbps) lame_set_VBR_max_bitrate_kbps = nullptr;
    decltype(&::lame_init_params) lame_init_params = nullptr;
    decltype(&::lame_encode_buffer_interleaved) lame_encode_buffer_interleaved = nullptr;
    decltype(&::id3tag_init) id3tag_init = nullptr;
    decltype(&::lame_encode_flush) lame_encode_flush = nullptr;
    decltype(&::lame_get_lametag_frame) lame_get_lametag_frame = nullptr;
    decltype(&::lame_close) lame_close = nullptr;
};

/// The process's binding of "libmp3lame.so.0". Load and unload it through LameLibraryUse only.
CodecLibrary<LameApi>& LameLibrary();

/// One user's hold on the LAME library: the first use loads it, the last one unloads it, so
/// one MP3 output going away never pulls the library from under another.
///
/// Uses are made and dropped on the main thread; the count is guarded all the same.
class LameLibraryUse {
public:
    /// Raises EAuException "<file name> library could not be loaded." when the library is
    /// missing or lacks one of the entry points; nothing is held then.
    LameLibraryUse();
    ~LameLibraryUse();
    LameLibraryUse(const LameLibraryUse&) = delete;
    LameLibraryUse& operator=(const LameLibraryUse&) = delete;
};

/// Closes a LAME handle with lame_close; valid only while a LameLibraryUse is held.
struct LameHandleDeleter {
    void operator()(lame_global_flags* handle) const;
};
using LameHandle = std::unique_ptr<lame_global_flags, LameHandleDeleter>;

} // namespace corvath
