#pragma once

#include "platform/ape/ape_compress_api.h"
#include "platform/dynlib/codec_library.h"

#include <filesystem>

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

/// Where "libcorvath-ape.so" is for a program in programFolder: beside it, as built or copied
/// as a portable folder, or else in <programFolder>/../lib/corvath, where an installation puts
/// the library that is the program's own and no one else's.
std::filesystem::path MacLibraryFile(const std::filesystem::path& programFolder);

/// The process's binding to MacLibraryFile of the program's folder. The program loads it once
/// (the windows at start, the command line when first needed) and keeps it for the whole run;
/// tests load it themselves.
CodecLibrary<MacApi>& MacLibrary();

} // namespace corvath
