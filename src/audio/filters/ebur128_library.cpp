#include "audio/filters/ebur128_library.h"

namespace corvath {

namespace {

bool ResolveEbur128(const DynamicLibrary& library, Ebur128Api& api)
{
    return library.Resolve("ebur128_init", api.init) &&
           library.Resolve("ebur128_destroy", api.destroy) &&
           library.Resolve("ebur128_set_channel", api.setChannel) &&
           library.Resolve("ebur128_add_frames_short", api.addFramesShort) &&
           library.Resolve("ebur128_add_frames_int", api.addFramesInt) &&
           library.Resolve("ebur128_loudness_global", api.loudnessGlobal) &&
           library.Resolve("ebur128_loudness_global_multiple", api.loudnessGlobalMultiple) &&
           library.Resolve("ebur128_sample_peak", api.samplePeak);
}

} // namespace

CodecLibrary<Ebur128Api>& Ebur128Library()
{
    static CodecLibrary<Ebur128Api> library("libebur128.so.1", ResolveEbur128);
    return library;
}

} // namespace corvath
