#include "support/utf16_text.h"

namespace corvath::test {

std::string Utf16LittleEndian(std::string_view ascii)
{
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

} // namespace corvath::test
