#pragma once

#include "platform/dynlib/codec_library.h"

#include <ebur128.h>
#include <memory>

namespace corvath {

/// The entry points of libebur128 that the loudness measurement calls; the library's header
/// gives only their types, the functions come from the library opened at run time.
struct Ebur128Api {
    decltype(&ebur128_init) init = nullptr;
    decltype(&ebur128_destroy) destroy = nullptr;
    decltype(&ebur128_set_channel) setChannel = nullptr;
    decltype(&ebur128_add_frames_short) addFramesShort = nullptr;
    decltype(&ebur128_add_frames_int) addFramesInt = nullptr;
    decltype(&ebur128_loudness_global) loudnessGlobal = nullptr;
    decltype(&ebur128_loudness_global_multiple) loudnessGlobalMultiple = nullptr;
    decltype(&ebur128_sample_peak) samplePeak = nullptr;
};

/// The process's binding to "libebur128.so.1". The program loads it once (the windows at start,
/// the command line when first needed) and keeps it for the whole run; tests load it themselves.
CodecLibrary<Ebur128Api>& Ebur128Library();

/// Destroys a measurement state through the binding.
struct Ebur128StateDeleter {
    void operator()(ebur128_state* state) const { Ebur128Library().Functions().destroy(&state); }
};
using Ebur128StatePtr = std::unique_ptr<ebur128_state, Ebur128StateDeleter>;

} // namespace corvath
