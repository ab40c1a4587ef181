#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace corvath {

/// The bytes in standard Base64 (RFC 4648), padded with '='.
std::string Base64(std::span<const uint8_t> bytes);

} // namespace corvath
