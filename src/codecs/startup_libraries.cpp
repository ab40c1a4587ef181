#include "codecs/startup_libraries.h"

#include "audio/filters/samplerate_library.h"
#include "codecs/flac_library.h"
#include "codecs/mac_library.h"
#include "codecs/vorbis_libraries.h"
#include "platform/acm/ffmpeg_library.h"

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
