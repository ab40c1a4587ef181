#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvath::test {

/// Little-endian bytes of a number, as RIFF files hold them.
std::string Le16(uint16_t value);
std::string Le32(uint32_t value);

/// A RIFF chunk: id, little-endian size, body, no pad byte.
std::string Chunk(std::string_view id, std::string_view body);

/// A 16-byte fmt body with the given fields; bytes per second follows from them.
std::string FmtBody(uint16_t formatTag, uint16_t channels, uint32_t sampleRate, uint16_t blockAlign,
                    uint16_t bitsPerSample);

} // namespace corvath::test
