#include "platform/media/media_log.h"

extern "C" {
#include <libavutil/log.h>
}

namespace corvath {

void ShowMediaLibraryLog(bool show)
{
    av_log_set_level(show ? AV_LOG_INFO : AV_LOG_QUIET);
}

} // namespace corvath
