#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <zlib.h>

namespace corvath {

/// The CRC-32 of zip files and of rip logs' "copy CRC", taken over bytes fed in any pieces.
/// zlib's, which is several times faster than a table walk: a rip computes it over every byte.
class Crc32 {
public:
    void Add(std::span<const uint8_t> bytes)
    {
        constexpr std::size_t kMostAtOnce = std::numeric_limits<uInt>::max();
        while (!bytes.empty()) {
            const std::size_t count = std::min(bytes.size(), kMostAtOnce);
            value_ = crc32(value_, bytes.data(), static_cast<uInt>(count));
            bytes = bytes.subspan(count);
        }
    }
    uint32_t Value() const { return static_cast<uint32_t>(value_); }

    static uint32_t Of(std::span<const uint8_t> bytes)
    {
        Crc32 crc;
        crc.Add(bytes);
        return crc.Value();
    }

private:
    uLong value_ = 0;
};

} // namespace corvath
