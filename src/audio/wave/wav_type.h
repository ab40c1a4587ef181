#pragma once

#include <cstdint>

namespace corvath {

/// The coding of a WAV file's samples.
enum TWavType : uint8_t {
    wtUnsupported = 0,
    wtPCM = 1,
    wtDVIADPCM = 2, ///< IMA ADPCM, format tag 0x0011
    wtMSADPCM = 3,  ///< Microsoft ADPCM, format tag 0x0002
    wtACM = 4,      ///< any other coding, decoded whole through the compression manager
};

} // namespace corvath
