#include "platform/media/av_error_text.h"

extern "C" {
#include <libavutil/error.h>
}

namespace corvath {

std::string AvErrorText(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof(text));
    return text;
}

} // namespace corvath
