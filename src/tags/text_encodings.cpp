#include "tags/text_encodings.h"

#include <cstdint>

namespace corvath {

namespace {

// What Windows-1252 puts at 0x80..0x9F; Latin-1 holds everywhere else.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t character)
{
    if (character < 0x80) {
        out += static_cast<char>(character);
        return;
    }
    const int continuation = character < 0x800 ? 1 : character < 0x10000 ? 2 : 3;
    constexpr uint8_t kLeadBits[] = {0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLeadBits[continuation] | (character >> (6 * continuation)));
    for (int i = continuation - 1; i >= 0; --i)
        out += static_cast<char>(0x80 | ((character >> (6 * i)) & 0x3F));
}

} // namespace

std::optional<char32_t> NextUtf8Character(std::string_view text, std::size_t& pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t length = lead < 0x80                    ? 1
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 1) {
        ++pos;
        return lead;
    }
    if (length == 0 || text.size() - pos < length) {
        ++pos;
        return std::nullopt;
    }
    char32_t character = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return std::nullopt;
        }
        character = (character << 6) | (next & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (character < kSmallest[length] || character > 0x10FFFF ||
        (character >= 0xD800 && character <= 0xDFFF)) {
        ++pos;
        return std::nullopt;
    }
    pos += length;
    return character;
}

bool IsValidUtf8(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();) {
        if (!NextUtf8Character(text, pos))
            return false;
    }
    return true;
}

std::string Windows1252ToUtf8(std::string_view text)
{
    std::string utf8;
    for (const char byte : text) {
        const auto code = static_cast<unsigned char>(byte);
        AppendUtf8(utf8, code >= 0x80 && code < 0xA0 ? kWindows1252High[code - 0x80] : code);
    }
    return utf8;
}

} // namespace corvath
