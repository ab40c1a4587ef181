#include "platform/acm/ffmpeg_library.h"

#include <atomic>
#include <string>

namespace corvath {

namespace {

std::atomic<bool> logShown{true};

void ApplyLogChoice(const FfmpegApi& api)
{
    api.av_log_set_level(logShown ? AV_LOG_INFO : AV_LOG_QUIET);
}

bool ResolveFfmpeg(const DynamicLibrary& library, FfmpegApi& api)
{
#define CORVATH_FFMPEG_RESOLVE(name) &&library.Resolve(#name, api.name)
    if (!(true CORVATH_FFMPEG_FUNCTIONS(CORVATH_FFMPEG_RESOLVE)))
        return false;
#undef CORVATH_FFMPEG_RESOLVE
    // FFmpeg and the libraries it brings keep state of their own start-up to the process's end.
    library.KeepLoaded();
    ApplyLogChoice(api);
    return true;
}

} // namespace

CodecLibrary<FfmpegApi>& FfmpegLibrary()
{
    // libavformat's dependencies answer for the other libraries' entry points.
    static CodecLibrary<FfmpegApi> library(
        "libavformat.so." + std::to_string(LIBAVFORMAT_VERSION_MAJOR), ResolveFfmpeg);
    return library;
}

bool FfmpegAvailable()
{
    CodecLibrary<FfmpegApi>& library = FfmpegLibrary();
    return library.Loaded() || library.Load();
}

void ShowMediaLibraryLog(bool show)
{
    logShown = show;
    if (FfmpegLibrary().Loaded())
        ApplyLogChoice(Ffmpeg());
}

} // namespace corvath
