#pragma once

#include <cstdint>

namespace corvath {

/// The processor-use setting c (1 less .. 3 more) as the worker's pause before each block:
/// 16 - 5c milliseconds (11, 6, 1; up to 5 means no pause).
int32_t IdleSleepForCpu(int32_t cpu);

} // namespace corvath
