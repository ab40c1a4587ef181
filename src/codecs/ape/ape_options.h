#pragma once

#include <cstdint>

namespace corvath {

/// The APE encoder's settings: the compression level (1000 to 5000 in thousands) and the
/// processor use 1 (less) to 3 (more).
struct TAPEOptions {
    int32_t Compression = 2000;
    int32_t CPU = 3;
};

} // namespace corvath
