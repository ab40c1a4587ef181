#include "platform/acm/wave_format_record.h"

#include <algorithm>

namespace corvath {

void WaveFormatRecord::Assign(std::span<const uint8_t> stored)
{
    const std::size_t count = std::min(stored.size(), kCapacity);
    std::copy_n(stored.begin(), count, bytes_.begin());
    std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(count), bytes_.end(), uint8_t{0});
}

std::span<const uint8_t> WaveFormatRecord::Extra() const
{
    const std::size_t count = std::min<std::size_t>(ExtraSize(), kCapacity - kHeaderSize);
    return std::span<const uint8_t>(bytes_).subspan(kHeaderSize, count);
}

uint16_t WaveFormatRecord::Get16(std::size_t offset) const
{
    return static_cast<uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
}

uint32_t WaveFormatRecord::Get32(std::size_t offset) const
{
    return Get16(offset) | static_cast<uint32_t>(Get16(offset + 2)) << 16;
}

void WaveFormatRecord::Set16(std::size_t offset, uint16_t value)
{
    bytes_[offset] = static_cast<uint8_t>(value);
    bytes_[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void WaveFormatRecord::Set32(std::size_t offset, uint32_t value)
{
    Set16(offset, static_cast<uint16_t>(value));
    Set16(offset + 2, static_cast<uint16_t>(value >> 16));
}

} // namespace corvath
