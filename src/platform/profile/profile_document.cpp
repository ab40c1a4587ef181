#include "platform/profile/profile_document.h"

#include "platform/text/ascii_case.h"
#include "platform/text/control_characters.h"

#include <algorithm>
#include <stdexcept>

namespace corvath {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// A stray carriage return counts as a blank: it cannot be written back, so reading it as part
// of a value would change the value with the next save.
bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The name between '[' and ']' of a header line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line)
{
    line = Trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const auto close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

void RequirePlainName(std::string_view name)
{
    if (name.find_first_of("=]") != std::string_view::npos || BlankControlCharacters(name) != name)
        throw std::invalid_argument("invalid profile name");
}

int DigitValue(char c, int base)
{
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

} // namespace

std::optional<int32_t> ParseProfileInteger(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() > 2 && (text.starts_with("0x") || text.starts_with("0X"))) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;

    // Decimal must fit the signed range; hexadecimal may use all 32 bits.
    const uint64_t limit = base == 16 ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
    uint64_t magnitude = 0;
    for (char c : text) {
        const int digit = DigitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + static_cast<uint64_t>(digit);
        if (magnitude > limit)
            return std::nullopt;
    }
    const auto bits = static_cast<uint32_t>(negative ? 0u - magnitude : magnitude);
    return static_cast<int32_t>(bits);
}

ProfileDocument::Line ProfileDocument::ParseLine(std::string text)
{
    Line line;
    const auto equals = text.find('=');
    if (equals != std::string::npos && !SectionName(text)) {
        const std::string_view key = Trim(std::string_view(text).substr(0, equals));
        const std::string_view rest = std::string_view(text).substr(equals + 1);
        const std::string_view value = Trim(rest);
        line.key = std::string(key);
        line.valueStart =
            value.empty() ? text.size() : static_cast<std::size_t>(value.data() - text.data());
        line.valueLength = value.size();
    }
    line.text = std::move(text);
    return line;
}

ProfileDocument ProfileDocument::Parse(std::string_view text)
{
    ProfileDocument document;
    if (text.starts_with(kUtf8Bom)) {
        document.bom_ = kUtf8Bom;
        text.remove_prefix(kUtf8Bom.size());
    }
    const auto firstBreak = text.find('\n');
    if (firstBreak != std::string_view::npos && firstBreak > 0 && text[firstBreak - 1] == '\r')
        document.lineBreak_ = "\r\n";

    for (std::size_t number = 1; !text.empty(); ++number) {
        const auto end = text.find('\n');
        std::string raw(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (raw.ends_with('\r'))
            raw.pop_back();
        // Only the NUL bytes go: the rest of the line, and of its section, is worth keeping.
        if (raw.find('\0') != std::string::npos) {
            std::replace(raw.begin(), raw.end(), '\0', ' ');
            document.mendedLines_.push_back(number);
        }

        if (const auto name = SectionName(raw)) {
            document.firstSectionByName_.try_emplace(LowerAscii(*name), document.sections_.size());
            document.sections_.push_back(Section{std::move(raw), {}});
        } else {
            auto& lines =
                document.sections_.empty() ? document.preamble_ : document.sections_.back().lines;
            lines.push_back(ParseLine(std::move(raw)));
        }
    }
    return document;
}

std::string ProfileDocument::Serialize() const
{
    std::string text = bom_;
    const auto append = [&](const std::string& line) {
        text += line;
        text += lineBreak_;
    };
    for (const auto& line : preamble_)
        append(line.text);
    for (const auto& section : sections_) {
        append(section.header);
        for (const auto& line : section.lines)
            append(line.text);
    }
    return text;
}

std::optional<std::size_t> ProfileDocument::FindSection(std::string_view section) const
{
    const auto found = firstSectionByName_.find(LowerAscii(Trim(section)));
    if (found == firstSectionByName_.end())
        return std::nullopt;
    return found->second;
}

const ProfileDocument::Line* ProfileDocument::FindKey(std::string_view section,
                                                      std::string_view key) const
{
    const auto index = FindSection(section);
    if (!index)
        return nullptr;
    key = Trim(key);
    for (const auto& line : sections_[*index].lines) {
        if (!line.key.empty() && EqualIgnoringCase(line.key, key))
            return &line;
    }
    return nullptr;
}

std::string ProfileDocument::ReadString(std::string_view section, std::string_view key,
                                        std::string_view defaultValue) const
{
    const Line* line = FindKey(section, key);
    if (line == nullptr)
        return std::string(defaultValue);
    return line->text.substr(line->valueStart, line->valueLength);
}

int32_t ProfileDocument::ReadInteger(std::string_view section, std::string_view key,
                                     int32_t defaultValue) const
{
    const Line* line = FindKey(section, key);
    if (line == nullptr)
        return defaultValue;
    return ParseProfileInteger(
               std::string_view(line->text).substr(line->valueStart, line->valueLength))
        .value_or(defaultValue);
}

bool ProfileDocument::ReadBool(std::string_view section, std::string_view key,
                               bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void ProfileDocument::WriteString(std::string_view section, std::string_view key,
                                  std::string_view value)
{
    section = Trim(section);
    key = Trim(key);
    RequirePlainName(section);
    RequirePlainName(key);
    if (key.empty())
        throw std::invalid_argument("empty profile key");

    const std::string singleLine = BlankControlCharacters(value);

    auto index = FindSection(section);
    if (!index) {
        // A new section starts after a blank line, for the reader's eye.
        auto& last = sections_.empty() ? preamble_ : sections_.back().lines;
        const bool fileIsEmpty = sections_.empty() && preamble_.empty();
        if (!fileIsEmpty && !(!last.empty() && Trim(last.back().text).empty()))
            last.push_back(ParseLine(""));
        firstSectionByName_.emplace(LowerAscii(section), sections_.size());
        sections_.push_back(Section{"[" + std::string(section) + "]", {}});
        index = sections_.size() - 1;
    }

    auto& lines = sections_[*index].lines;
    for (auto& line : lines) {
        if (!line.key.empty() && EqualIgnoringCase(line.key, key)) {
            line = ParseLine(line.key + "=" + singleLine);
            return;
        }
    }
    // New keys go after the section's last key, ahead of any blank lines before the next one.
    auto insertAt = lines.end();
    while (insertAt != lines.begin() && std::prev(insertAt)->key.empty())
        --insertAt;
    if (insertAt == lines.begin())
        insertAt = std::find_if(lines.begin(), lines.end(),
                                [](const Line& l) { return Trim(l.text).empty(); });
    lines.insert(insertAt, ParseLine(std::string(key) + "=" + singleLine));
}

} // namespace corvath
