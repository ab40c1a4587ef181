#pragma once

#include <cstdint>

namespace corvath {

/// The FLAC encoder's settings: the library's compression level 0 to 8.
struct TFLACOptions {
    int32_t Compression = 2;
};

} // namespace corvath
