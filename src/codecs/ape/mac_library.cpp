#include "codecs/ape/mac_library.h"

#include "platform/files/program_folder.h"

namespace corvath {

namespace {

bool ResolveMac(const DynamicLibrary& library, MacApi& api)
{
    return library.Resolve("FillWaveFormatEx", api.fillWaveFormatEx) &&
           library.Resolve("c_APECompress_Create", api.create) &&
           library.Resolve("c_APECompress_Destroy", api.destroy) &&
           library.Resolve("c_APECompress_Start", api.start) &&
           library.Resolve("c_APECompress_LockBuffer", api.lockBuffer) &&
           library.Resolve("c_APECompress_UnlockBuffer", api.unlockBuffer) &&
           library.Resolve("c_APECompress_Finish", api.finish);
}

} // namespace

CodecLibrary<MacApi>& MacLibrary()
{
    static CodecLibrary<MacApi> library(ProgramFolder() + "libcorvath-ape.so", ResolveMac);
    return library;
}

} // namespace corvath
