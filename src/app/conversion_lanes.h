#pragma once

#include <cstdint>

namespace corvath {

/// The most files a conversion batch converts at once: each holds a worker thread, open files and
/// an encoder, and many more than the processors only contend for them.
constexpr int32_t kMostConversionLanes = 256;

/// How many files a conversion batch converts at once for a chosen count: 0 (not chosen) gives
/// one per processor, anything else is kept within 1 to kMostConversionLanes. Both front ends
/// use it, so a window and the command line run a batch alike.
int32_t ConversionLanes(int32_t chosen);

} // namespace corvath
