#include "lookup/cddb_entry_lines.h"

#include "cd/album_disc_suffix.h"
#include "platform/text/control_characters.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <vector>

namespace corvath {

namespace {

bool IsSpaceOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsSpaceOrControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpaceOrControl(text.back()))
        text.remove_suffix(1);
    return text;
}

// The entry's lines without their ends. Only the line end is cut: the spaces at a line's end
// may belong to a value that the next line continues.
std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The n of "TTITLE<n>": digits only, nothing for any other key.
std::optional<std::size_t> TitleRow(std::string_view key)
{
    constexpr std::string_view prefix = "TTITLE";
    if (!key.starts_with(prefix) || key.size() == prefix.size())
        return std::nullopt;
    key.remove_prefix(prefix.size());
    std::size_t row = 0;
    const char* const end = key.data() + key.size();
    const auto [stop, error] = std::from_chars(key.data(), end, row);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return row;
}

// What the entry's lines say, each key's values joined in line order.
struct EntryValues {
    explicit EntryValues(std::size_t rows) : titles(rows) {}

    std::optional<std::string> discTitle;
    std::optional<std::string> year;
    std::optional<std::string> genre;
    std::vector<std::optional<std::string>> titles; // by row
};

void Append(std::optional<std::string>& into, std::string_view value)
{
    if (into)
        into->append(value);
    else
        into.emplace(value);
}

EntryValues ReadEntry(std::string_view entry, std::size_t rows)
{
    EntryValues values(rows);
    for (const std::string_view line : Lines(entry)) {
        const std::size_t equals = line.find('=');
        if (line.starts_with('#') || equals == std::string_view::npos)
            continue;
        const std::string_view key = Trimmed(line.substr(0, equals));
        const std::string value = BlankControlCharacters(line.substr(equals + 1));
        if (key == "DTITLE") {
            Append(values.discTitle, value);
        } else if (key == "DYEAR") {
            Append(values.year, value);
        } else if (key == "DGENRE") {
            Append(values.genre, value);
        } else if (const std::optional<std::size_t> row = TitleRow(key); row && *row < rows) {
            Append(values.titles[*row], value);
        }
    }
    return values;
}

// The album, or the album and the disc of a set when its title ends by naming one.
void ApplyAlbum(const std::string& album, CddbEntryTarget& target)
{
    const std::optional<AlbumDisc> disc = SplitAlbumDisc(album);
    target.SetAlbum(disc ? disc->album : album);
    if (disc)
        target.SetDisc(disc->number, disc->total);
}

// "Artist / Album". Names may hold a "/" of their own ("AC/DC"), so only one with a space on
// either side separates.
void ApplyDiscTitle(std::string_view title, CddbEntryTarget& target)
{
    constexpr std::string_view separator = " / ";
    const std::size_t split = title.find(separator);
    if (split == std::string_view::npos) {
        const std::string both(Trimmed(title));
        target.SetArtist(both);
        ApplyAlbum(both, target);
        return;
    }
    target.SetArtist(std::string(Trimmed(title.substr(0, split))));
    ApplyAlbum(std::string(Trimmed(title.substr(split + separator.size()))), target);
}

} // namespace

bool ApplyCddbEntry(std::string_view entry, uint8_t firstTrack, uint8_t lastTrack,
                    CddbEntryTarget& target)
{
    const std::size_t rows = lastTrack >= firstTrack ? lastTrack - firstTrack + 1u : 0u;
    const EntryValues values = ReadEntry(entry, rows);
    if (values.discTitle)
        ApplyDiscTitle(*values.discTitle, target);
    if (values.year)
        target.SetYear(std::string(Trimmed(*values.year)));
    if (values.genre)
        target.SelectGenre(std::string(Trimmed(*values.genre)));
    const bool titlesFound = std::ranges::any_of(
        values.titles, [](const std::optional<std::string>& title) { return title.has_value(); });
    if (!titlesFound)
        return false;
    target.AlignTitlesLeft();
    for (std::size_t row = 0; row < rows; ++row) {
        if (values.titles[row])
            target.SetTitle(static_cast<int>(row), std::string(Trimmed(*values.titles[row])));
    }
    return true;
}

} // namespace corvath
