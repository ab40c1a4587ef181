#pragma once

#include "platform/ape/ape_compress_api.h"
#include "platform/dynlib/codec_library.h"

namespace corvath {

/// The entry points of our APE compressor library that the APE output calls; the library's
/// header gives only their types, the functions come from the library opened at run time.
struct MacApi {
    decltype(&FillWaveFormatEx) fillWaveFormatEx = nullptr;
    decltype(&c_APECompress_Create) create = nullptr;
    decltype(&c_APECompress_Destroy) destroy = nullptr;
    decltype(&c_APECompress_Start) start = nullptr;
    decltype(&c_APECompress_LockBuffer) lockBuffer = nullptr;
    decltype(&c_APECompress_UnlockBuffer) unlockBuffer = nullptr;
    decltype(&c_APECompress_Finish) finish = nullptr;
};

/// The process's binding to "libcorvath-ape.so" in the program's folder (the library is built
/// beside the executable, not installed for the system). The program loads it once (the windows
/// at start, the command line when first needed) and keeps it for the whole run; tests load it
/// themselves.
CodecLibrary<MacApi>& MacLibrary();

} // namespace corvath
