#include "platform/cdrom/disc_codes.h"

#include <algorithm>

namespace corvath {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool AllZeros(std::string_view text)
{
    return std::ranges::all_of(text, [](char c) { return c == '0'; });
}

} // namespace

bool IsIsrc(std::string_view text)
{
    if (text.size() != 12 || AllZeros(text))
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsDigit(text[i]) && (i >= 5 || text[i] < 'A' || text[i] > 'Z'))
            return false;
    }
    return true;
}

bool IsCatalogNumber(std::string_view text)
{
    return text.size() == 13 && std::ranges::all_of(text, IsDigit) && !AllZeros(text);
}

} // namespace corvath
