#include "platform/media/wm_stream_config.h"

namespace corvath {

WmStreamConfig::WmStreamConfig(uint32_t bitrate, const WmMediaType& mediaType)
    : bitrate_(bitrate), mediaType_(mediaType)
{
}

} // namespace corvath
