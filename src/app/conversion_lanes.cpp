#include "app/conversion_lanes.h"

#include <algorithm>
#include <thread>

namespace corvath {

int32_t ConversionLanes(int32_t chosen)
{
    // hardware_concurrency may not know, and says 0.
    const int32_t lanes =
        chosen != 0 ? chosen : static_cast<int32_t>(std::thread::hardware_concurrency());
    return std::clamp(lanes, 1, kMostConversionLanes);
}

} // namespace corvath
