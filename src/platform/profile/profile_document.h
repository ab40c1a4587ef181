#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvath {

/// The text of an INI file in the private-profile format, held as its lines so that a change
/// of one key keeps everything else (other sections, keys, comments, garbage, order) as it was.
///
/// Section and key names match without regard to (ASCII) case; blanks around names and values
/// are dropped; the first of duplicate sections or keys is the one that counts. Lines that are
/// neither a section header nor "key=value" are kept but never match. Not thread-safe.
class ProfileDocument {
public:
    ProfileDocument() = default;

    /// Parses any bytes; never fails. A UTF-8 byte-order mark is accepted and kept. A line that
    /// holds NUL bytes, which the writer never writes, is mended: it is read, and kept, with a
    /// blank in place of each (MendedLines).
    static ProfileDocument Parse(std::string_view text);

    /// The numbers, from 1, of the parsed text's lines that were mended.
    const std::vector<std::size_t>& MendedLines() const { return mendedLines_; }

    /// The file's text: its lines as read, changed keys rewritten, every line ending in the
    /// line break the file used (LF when it had none).
    std::string Serialize() const;

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    /// A decimal integer, or hexadecimal after "$" or "0x"; the default when the value is
    /// missing, malformed or outside 32 bits.
    /// Whether the section is there, with or without keys.
    bool HasSection(std::string_view section) const { return FindSection(section).has_value(); }

    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
    /// An integer read as above (default 1 or 0); any non-zero value is true.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

    /// Sets one key, adding the key and its section when missing. Control characters in the
    /// value but tab become blanks (BlankControlCharacters), so a value can never add lines of
    /// its own nor bytes the reader would mend. Names must be free of them, of '=' and of ']'
    /// (std::invalid_argument otherwise).
    void WriteString(std::string_view section, std::string_view key, std::string_view value);

private:
    struct Line {
        std::string text;           // without the line break
        std::string key;            // trimmed key of a "key=value" line; empty for other lines
        std::size_t valueStart = 0; // offset of the trimmed value in text
        std::size_t valueLength = 0;
    };
    struct Section {
        std::string header; // the header line as read
        std::vector<Line> lines;
    };

    static Line ParseLine(std::string text);
    const Line* FindKey(std::string_view section, std::string_view key) const;
    std::optional<std::size_t> FindSection(std::string_view section) const;

    std::string bom_;
    std::string lineBreak_ = "\n";
    std::vector<Line> preamble_; // lines before the first section
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> firstSectionByName_; // lower-case name
    std::vector<std::size_t> mendedLines_;
};

/// Parses a whole text as a 32-bit integer the way the settings files store them: optional
/// sign, decimal digits, or hexadecimal after "$", "0x" or "0X" (hexadecimal wraps into the
/// signed range, so "$FFFFFFFF" is -1). Nothing else may surround it.
std::optional<int32_t> ParseProfileInteger(std::string_view text);

} // namespace corvath
