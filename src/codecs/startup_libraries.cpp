#include "codecs/startup_libraries.h"

#include "audio/filters/ebur128_library.h"
#include "audio/filters/samplerate_library.h"
#include "codecs/output_format.h"
#include "platform/acm/ffmpeg_library.h"
#include "platform/net/curl_library.h"

#include <vector>

namespace corvath {

namespace {

// Each format's libraries in the table's order, then the sample-rate converter's and the
// loudness meter's.
std::vector<LibraryBinding*> CodecLibraries()
{
    std::vector<LibraryBinding*> libraries;
    for (const OutputFormatInfo& format : OutputFormats())
        libraries.insert(libraries.end(), format.libraries.begin(), format.libraries.end());
    libraries.push_back(&SamplerateLibrary());
    libraries.push_back(&Ebur128Library());
    return libraries;
}

// In the reverse order of loading: a library may use one loaded before it.
void UnloadCodecLibraries()
{
    const std::vector<LibraryBinding*> libraries = CodecLibraries();
    for (auto library = libraries.rbegin(); library != libraries.rend(); ++library)
        (*library)->Unload();
}

} // namespace

StartupCodecLibraries::StartupCodecLibraries()
{
    for (LibraryBinding* library : CodecLibraries())
        library->Load();
    FfmpegLibrary().Load();
    // libcurl's global set-up wants to run before other threads use it: a lookup worker that
    // did it while the program ended would race the TLS library's own clean-up.
    CurlLibrary().Load();
}

StartupCodecLibraries::~StartupCodecLibraries()
{
    UnloadCodecLibraries();
}

CodecLibrariesOnFirstUse::CodecLibrariesOnFirstUse()
{
    SetCodecLibrariesLoadOnFirstUse(true);
}

CodecLibrariesOnFirstUse::~CodecLibrariesOnFirstUse()
{
    SetCodecLibrariesLoadOnFirstUse(false);
    UnloadCodecLibraries();
}

} // namespace corvath
