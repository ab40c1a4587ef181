#include "app/file_name_pattern.h"

#include "app/output_naming.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace corvath {

namespace {

constexpr std::size_t kMostNameBytes = 255;
constexpr char kSafe = '_';
constexpr char kTitleQuote = '\'';

std::string YearOf(const std::string& date)
{
    const bool isoDate = date.size() > 4 && std::all_of(date.begin(), date.begin() + 4, [](char c) {
                             return c >= '0' && c <= '9';
                         });
    return isoDate ? date.substr(0, 4) : date;
}

std::string Numbered(int number)
{
    return number > 0 ? TwoDigits(number) : std::string();
}

std::string Counted(int number)
{
    return number > 0 ? std::to_string(number) : std::string();
}

// A token's value, or nothing for a name that is no token.
std::optional<std::string> TokenValue(std::string_view name, const TrackRecord& track)
{
    using Value = std::string (*)(const TrackRecord&);
    static constexpr std::array<std::pair<std::string_view, Value>, 10> kTokens{{
        {"artist", [](const TrackRecord& t) { return t.artist; }},
        {"albumartist",
         [](const TrackRecord& t) { return t.albumArtist.empty() ? t.artist : t.albumArtist; }},
        {"album", [](const TrackRecord& t) { return t.album; }},
        {"year", [](const TrackRecord& t) { return YearOf(t.date); }},
        {"genre", [](const TrackRecord& t) { return t.genre; }},
        {"track", [](const TrackRecord& t) { return Numbered(t.trackNumber); }},
        {"tracktotal", [](const TrackRecord& t) { return Counted(t.trackTotal); }},
        {"disc", [](const TrackRecord& t) { return Counted(t.discNumber); }},
        {"disctotal", [](const TrackRecord& t) { return Counted(t.discTotal); }},
        {"title", [](const TrackRecord& t) { return t.title; }},
    }};
    const auto token = std::ranges::find(kTokens, name, &std::pair<std::string_view, Value>::first);
    if (token == kTokens.end())
        return std::nullopt;
    return token->second(track);
}

bool Unsafe(char c)
{
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F ||
           std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
}

// Cuts text to at most bytes, never inside a UTF-8 character.
void CutAt(std::string& text, std::size_t bytes)
{
    if (text.size() <= bytes)
        return;
    while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80)
        --bytes;
    text.resize(bytes);
}

std::string SafePart(std::string_view text, std::size_t most)
{
    std::string part(text.substr(std::min(text.find_first_not_of(' '), text.size())));
    if (!part.empty() && part.front() == '.')
        part.front() = kSafe;
    CutAt(part, most);
    while (!part.empty() && (part.back() == ' ' || part.back() == '.'))
        part.pop_back();
    return part.empty() ? std::string(1, kSafe) : part;
}

// The pattern's text and tokens in order; a token's name without its "%" signs.
struct Piece {
    std::string_view text;
    bool token = false;
};

std::optional<std::vector<Piece>> Pieces(std::string_view pattern)
{
    std::vector<Piece> pieces;
    while (!pattern.empty()) {
        const std::size_t open = pattern.find('%');
        if (open == std::string_view::npos) {
            pieces.push_back({pattern});
            break;
        }
        const std::size_t close = pattern.find('%', open + 1);
        if (close == std::string_view::npos)
            return std::nullopt;
        if (open > 0)
            pieces.push_back({pattern.substr(0, open)});
        pieces.push_back({pattern.substr(open + 1, close - open - 1), true});
        pattern.remove_prefix(close + 1);
    }
    return pieces;
}

} // namespace

std::string FileNamePatternProblem(std::string_view pattern)
{
    if (pattern.empty())
        return "The file-name pattern is empty.";
    const std::optional<std::vector<Piece>> pieces = Pieces(pattern);
    if (!pieces)
        return "The file-name pattern has a \"%\" without its partner.";
    std::string literal; // the folders the text alone makes, tokens standing as "x"
    for (const Piece& piece : *pieces) {
        if (piece.token && !TokenValue(piece.text, {}))
            return "The file-name pattern names no token %" + std::string(piece.text) + "%.";
        literal += piece.token ? "x" : std::string(piece.text);
    }
    if (literal.front() == '/' || literal.back() == '/')
        return "The file-name pattern must name a file below the output folder.";
    for (std::size_t start = 0; start <= literal.size();) {
        const std::size_t end = std::min(literal.find('/', start), literal.size());
        const std::string_view part = std::string_view(literal).substr(start, end - start);
        if (part == "." || part == ".." || part.empty())
            return "The file-name pattern would lead outside the output folder.";
        start = end + 1;
    }
    return {};
}

std::string PatternOrTitle(const std::string& pattern)
{
    return FileNamePatternProblem(pattern).empty() ? pattern : std::string(kTitleOnlyPattern);
}

std::string PatternedName(std::string_view pattern, const TrackRecord& track,
                          std::size_t extensionBytes)
{
    if (pattern == kTitleOnlyPattern) {
        // A cue sheet cannot quote a '"' and writes "'" for it; the file it names must match.
        std::string name = track.title;
        std::ranges::replace(name, '"', kTitleQuote);
        return name;
    }
    std::string joined;
    for (const Piece& piece : Pieces(pattern).value_or(std::vector<Piece>{})) {
        if (!piece.token) {
            joined += piece.text;
            continue;
        }
        std::string value = TokenValue(piece.text, track).value_or(std::string());
        std::ranges::replace_if(value, Unsafe, kSafe);
        joined += value;
    }
    std::vector<std::string> parts;
    for (std::size_t start = 0; start <= joined.size();) {
        const std::size_t end = std::min(joined.find('/', start), joined.size());
        parts.push_back(joined.substr(start, end - start));
        start = end + 1;
    }
    std::string name;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        const std::size_t most =
            last ? kMostNameBytes - std::min(extensionBytes, kMostNameBytes - 1) : kMostNameBytes;
        name += (i > 0 ? "/" : "") + SafePart(parts[i], most);
    }
    return name;
}

} // namespace corvath
