#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace corvath {

/// A constant-bit-rate format of the WMA encoder.
struct WmaFormat {
    uint32_t bitrate; ///< bit/s
    uint32_t sampleRate;
    uint16_t channels;

    /// "128 kbps, 44 kHz, stereo CBR".
    std::string Description() const;
};

/// The encoder's formats, from the highest bit rate down; within one bit rate stereo before
/// mono, the higher sample rate first. The settings store indexes into this list, so any change
/// changes what a stored index means; 29, the default, is 128 kbps, 44.1 kHz, stereo.
std::span<const WmaFormat> WmaFormats();

} // namespace corvath
