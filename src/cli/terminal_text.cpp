#include "cli/terminal_text.h"

#include <cstdint>

namespace corvath::cli {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

// The length of the well-formed UTF-8 sequence at the start of text, 0 when there is none.
std::size_t SequenceLength(std::string_view text)
{
    const auto byte = [&text](std::size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(0);
    std::size_t length = 0;
    uint8_t low = 0x80;
    uint8_t high = 0xBF;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    }
    return length;
}

// C0 controls, DEL and the C1 controls (U+0080 to U+009F, "\xC2\x80" to "\xC2\x9F").
bool IsControl(std::string_view sequence)
{
    const auto lead = static_cast<uint8_t>(sequence[0]);
    if (sequence.size() == 1)
        return lead < 0x20 || lead == 0x7F;
    return sequence.size() == 2 && lead == 0xC2 && static_cast<uint8_t>(sequence[1]) < 0xA0;
}

} // namespace

std::string TerminalText(std::string_view text)
{
    std::string safe;
    safe.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = SequenceLength(text);
        const std::string_view sequence = text.substr(0, length == 0 ? 1 : length);
        if (length == 0 || IsControl(sequence))
            safe += kReplacement;
        else
            safe += sequence;
        text.remove_prefix(sequence.size());
    }
    return safe;
}

} // namespace corvath::cli
