#pragma once

#include "platform/dynlib/codec_library.h"

#include <memory>
#include <samplerate.h>

namespace corvath {

/// The entry points of libsamplerate that the resampler calls; the library's header gives only
/// their types, the functions come from the library opened at run time.
struct SamplerateApi {
    decltype(&src_is_valid_ratio) isValidRatio = nullptr;
    decltype(&src_new) newState = nullptr;
    decltype(&src_process) process = nullptr;
    decltype(&src_strerror) strError = nullptr;
    decltype(&src_short_to_float_array) shortToFloat = nullptr;
    decltype(&src_delete) deleteState = nullptr;
};

/// The process's binding to "libsamplerate.so.0". The program loads it once (the windows at
/// start, the command line when first needed) and keeps it for the whole run; tests load it
/// themselves.
CodecLibrary<SamplerateApi>& SamplerateLibrary();

/// Deletes a converter state through the binding.
struct SrcStateDeleter {
    void operator()(SRC_STATE* state) const { SamplerateLibrary().Functions().deleteState(state); }
};
using SrcStatePtr = std::unique_ptr<SRC_STATE, SrcStateDeleter>;

} // namespace corvath
