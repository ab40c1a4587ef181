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

std::filesystem::path MacLibraryFile(const std::filesystem::path& programFolder)
{
    constexpr const char* kFileName = "libcorvath-ape.so";
    std::filesystem::path beside = programFolder / kFileName;
    std::error_code ignored;
    if (std::filesystem::exists(beside, ignored))
        return beside;
    return InstalledLibraryFolder(programFolder) / kFileName;
}

CodecLibrary<MacApi>& MacLibrary()
{
    static CodecLibrary<MacApi> library(MacLibraryFile(ProgramFolder()).string(), ResolveMac);
    return library;
}

} // namespace corvath
