#include "platform/text/control_characters.h"

#include <algorithm>

namespace corvath {

namespace {

// Tab stays: the settings files read it as the blank it is.
bool IsControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t') || byte == 0x7F;
}

} // namespace

std::string BlankControlCharacters(std::string_view text)
{
    std::string blanked(text);
    std::replace_if(blanked.begin(), blanked.end(), IsControl, ' ');
    return blanked;
}

} // namespace corvath
