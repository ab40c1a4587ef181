#include "codecs/idle_sleep.h"

#include <algorithm>
#include <climits>

namespace corvath {

int32_t IdleSleepForCpu(int32_t cpu)
{
    // A settings file may hold any number: worked out wide, so it cannot overflow; what is out
    // of range is then either no pause or a pause the output ignores.
    const int64_t sleep = 16 - 5 * int64_t{cpu};
    return static_cast<int32_t>(std::clamp<int64_t>(sleep, INT32_MIN, INT32_MAX));
}

} // namespace corvath
