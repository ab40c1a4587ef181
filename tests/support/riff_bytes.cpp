#include "support/riff_bytes.h"

namespace corvath::test {

std::string Le16(uint16_t value)
{
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string Le32(uint32_t value)
{
    return Le16(static_cast<uint16_t>(value)) + Le16(static_cast<uint16_t>(value >> 16));
}

std::string Chunk(std::string_view id, std::string_view body)
{
    return std::string(id) + Le32(static_cast<uint32_t>(body.size())) + std::string(body);
}

std::string FmtBody(uint16_t formatTag, uint16_t channels, uint32_t sampleRate, uint16_t blockAlign,
                    uint16_t bitsPerSample)
{
    return Le16(formatTag) + Le16(channels) + Le32(sampleRate) + Le32(sampleRate * blockAlign) +
           Le16(blockAlign) + Le16(bitsPerSample);
}

} // namespace corvath::test
