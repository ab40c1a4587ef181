#pragma once

extern "C" {
#include <libavutil/crc.h>
}

#include <cstdint>
#include <span>

namespace corvath {

/// The CRC-32 of zip files and of rip logs' "copy CRC", taken over bytes fed in any pieces.
class Crc32 {
public:
    void Add(std::span<const uint8_t> bytes)
    {
        state_ = av_crc(av_crc_get_table(AV_CRC_32_IEEE_LE), state_, bytes.data(), bytes.size());
    }
    uint32_t Value() const { return state_ ^ 0xFFFFFFFFu; }

    static uint32_t Of(std::span<const uint8_t> bytes)
    {
        Crc32 crc;
        crc.Add(bytes);
        return crc.Value();
    }

private:
    uint32_t state_ = 0xFFFFFFFFu;
};

} // namespace corvath
