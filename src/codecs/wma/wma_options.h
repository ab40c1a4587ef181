#pragma once

#include <cstdint>

namespace corvath {

/// The WMA encoder's settings: a codec and a format position of the lists the WMA output
/// gives, the format list being that of the VBR state.
struct TWMAOptions {
    int32_t CodecIndex = 0;
    int32_t FormatIndex = 29;
    bool VBR = false;
};

} // namespace corvath
