#include "cd/cddb_entry_lines.h"

#include "cd/album_disc_suffix.h"

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

// Where a line's value starts: after the first "=", or at the start when there is none.
std::size_t ValueStart(std::string_view line)
{
    const std::size_t equals = line.find('=');
    return equals == std::string_view::npos ? 0 : equals + 1;
}

std::string Value(std::string_view line)
{
    return std::string(Trimmed(line.substr(ValueStart(line))));
}

bool Contains(std::string_view line, std::string_view part)
{
    return line.find(part) != std::string_view::npos;
}

std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The album, or the album and the disc of a set when its title ends by naming one.
void ApplyAlbum(const std::string& album, CddbEntryTarget& target)
{
    const std::optional<AlbumDisc> disc = SplitAlbumDisc(album);
    target.SetAlbum(disc ? disc->album : album);
    if (disc)
        target.SetDisc(disc->number, disc->total);
}

void ApplyDiscTitle(std::string_view line, CddbEntryTarget& target)
{
    const std::size_t slash = line.find('/');
    if (slash == std::string_view::npos) {
        const std::string both = Value(line);
        target.SetArtist(both);
        ApplyAlbum(both, target);
        return;
    }
    const std::size_t start = ValueStart(line);
    const std::string_view artist =
        slash > start ? line.substr(start, slash - start) : std::string_view();
    target.SetArtist(std::string(Trimmed(artist)));
    ApplyAlbum(std::string(Trimmed(line.substr(slash + 1))), target);
}

} // namespace

bool ApplyCddbEntry(std::string_view entry, uint8_t firstTrack, uint8_t lastTrack,
                    CddbEntryTarget& target)
{
    // An entry numbers the disc's first track 0, whatever the track's own number.
    constexpr std::string_view firstTitleKey = "TITLE0";
    const std::vector<std::string_view> lines = Lines(entry);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (Trimmed(line).empty())
            continue;
        const bool hasEquals = Contains(line, "=");
        if (Contains(line, "DTITLE"))
            ApplyDiscTitle(line, target);
        if (Contains(line, "DYEAR") && hasEquals)
            target.SetYear(Value(line));
        if (Contains(line, "DGENRE") && hasEquals)
            target.SelectGenre(Value(line));
        if (Contains(line, firstTitleKey)) {
            target.AlignTitlesLeft();
            for (int track = firstTrack; track <= lastTrack && i < lines.size(); ++track, ++i)
                target.SetTitle(track - firstTrack, Value(lines[i]));
            return true;
        }
    }
    return false;
}

} // namespace corvath
