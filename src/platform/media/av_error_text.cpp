#include "platform/media/av_error_text.h"

#include "platform/acm/ffmpeg_library.h"

extern "C" {
#include <libavutil/error.h>
}

namespace corvath {

std::string AvErrorText(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    Ffmpeg().av_strerror(error, text, sizeof(text));
    return text;
}

} // namespace corvath
