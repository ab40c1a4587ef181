#include "platform/media/wm_profile.h"

#include <algorithm>

namespace corvath {

bool WmProfile::AddStream(const WmStreamConfig& stream)
{
    const uint16_t number = stream.StreamNumber();
    const bool taken = std::ranges::any_of(
        streams_, [number](const WmStreamConfig& other) { return other.StreamNumber() == number; });
    if (number == 0 || taken)
        return false;
    streams_.push_back(stream);
    return true;
}

} // namespace corvath
