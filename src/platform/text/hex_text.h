#pragma once

#include <cstdint>
#include <string>

namespace corvath {

enum class HexLetters { Upper, Lower };

/// The number in hexadecimal, zero-padded to digits (at most 8).
std::string HexText(uint32_t number, int digits = 8, HexLetters letters = HexLetters::Upper);

} // namespace corvath
