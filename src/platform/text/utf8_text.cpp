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

void AppendUtf8(std::string& text, uint32_t code)
{
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | code >> 6);
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | code >> 12);
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | code >> 18);
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    std::string text;
    auto unit = [&](std::size_t i) {
        const auto a = static_cast<uint8_t>(bytes[i]);
        const auto b = static_cast<uint8_t>(bytes[i + 1]);
        return static_cast<uint32_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        uint32_t code = unit(i);
        if (code >= 0xD800 && code < 0xDC00 && i + 3 < bytes.size()) {
            const uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (code >= 0xD800 && code < 0xE000)
            code = 0xFFFD;
        AppendUtf8(text, code);
    }
    return text;
}

std::string Utf8OrWindows1252(std::string_view bytes)
{
    if (IsUtf8(bytes))
        return std::string(bytes);
    // 0x80 to 0x9F; the five bytes Windows leaves undefined keep their Latin-1 meaning.
    static constexpr uint16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<uint8_t>(c);
        AppendUtf8(text, byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte);
    }
    return text;
}

} // namespace corvath
