#include "platform/text/utf8_text.h"

#include <cstdint>

namespace corvath {

bool IsUtf8(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<uint8_t>(bytes[i]);
        std::size_t length = 1;
        uint32_t lowest = 0;
        if (lead >= 0xF0 && lead < 0xF5) {
            length = 4;
            lowest = 0x10000;
        } else if (lead >= 0xE0) {
            length = lead < 0xF0 ? 3 : 0;
            lowest = 0x800;
        } else if (lead >= 0xC2) {
            length = 2;
            lowest = 0x80;
        } else if (lead >= 0x80) {
            length = 0;
        }
        if (length == 0 || i + length > bytes.size())
            return false;
        uint32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<uint8_t>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = code << 6 | (next & 0x3Fu);
        }
        if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
            return false;
        i += length;
    }
    return true;
}

std::string Utf8OrLatin1(std::string_view bytes)
{
    if (IsUtf8(bytes))
        return std::string(bytes);
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<uint8_t>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | byte >> 6);
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

} // namespace corvath
