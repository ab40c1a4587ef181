#include "audio/filters/samplerate_library.h"

namespace corvath {

namespace {

bool ResolveSamplerate(const DynamicLibrary& library, SamplerateApi& api)
{
    return library.Resolve("src_is_valid_ratio", api.isValidRatio) &&
           library.Resolve("src_new", api.newState) &&
           library.Resolve("src_process", api.process) &&
           library.Resolve("src_strerror", api.strError) &&
           library.Resolve("src_short_to_float_array", api.shortToFloat) &&
           library.Resolve("src_delete", api.deleteState);
}

} // namespace

CodecLibrary<SamplerateApi>& SamplerateLibrary()
{
    static CodecLibrary<SamplerateApi> library("libsamplerate.so.0", ResolveSamplerate);
    return library;
}

} // namespace corvath
