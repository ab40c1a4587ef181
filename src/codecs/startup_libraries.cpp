#include "codecs/startup_libraries.h"

#include "audio/filters/samplerate_library.h"
#include "codecs/flac_library.h"
#include "codecs/mac_library.h"
#include "codecs/vorbis_libraries.h"
#include "platform/acm/ffmpeg_library.h"
#include "platform/cdrom/curl_library.h"

namespace corvath {

namespace {

void UnloadCodecLibraries()
{
    SamplerateLibrary().Unload();
    MacLibrary().Unload();
    FlacLibrary().Unload();
    VorbisEncLibrary().Unload();
    VorbisFileLibrary().Unload();
    VorbisLibrary().Unload();
    OggLibrary().Unload();
}

} // namespace

StartupCodecLibraries::StartupCodecLibraries()
{
    OggLibrary().Load();
    VorbisLibrary().Load();
    VorbisFileLibrary().Load();
    VorbisEncLibrary().Load();
    FlacLibrary().Load();
    MacLibrary().Load();
    SamplerateLibrary().Load();
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
