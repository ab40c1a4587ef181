#include "platform/text/hex_text.h"

#include <cstdio>

namespace corvath {

std::string HexText(uint32_t number, int digits, HexLetters letters)
{
    char text[9];
    std::snprintf(text, sizeof text, letters == HexLetters::Upper ? "%0*X" : "%0*x", digits,
                  number);
    return text;
}

} // namespace corvath
