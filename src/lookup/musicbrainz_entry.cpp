#include "lookup/musicbrainz_entry.h"

#include "platform/text/ascii_case.h"
#include "tags/genre_names.h"

#include <algorithm>

namespace corvath {

namespace {

// MusicBrainz writes genres in lower case ("rock"); the list's own spelling is selected.
std::string_view ListedGenre(const std::vector<std::string>& genres)
{
    for (const std::string& genre : genres) {
        const auto listed = std::ranges::find_if(
            GenreNames, [&](std::string_view name) { return EqualIgnoringCase(name, genre); });
        if (listed != GenreNames.end())
            return *listed;
    }
    return {};
}

} // namespace

void ApplyMusicBrainzRelease(const MusicBrainzRelease& release, int rows, CddbEntryTarget& target)
{
    target.ClearDiscFields();
    target.SetArtist(release.artist);
    target.SetAlbum(release.title);
    target.SetYear(release.year > 0 ? std::to_string(release.year) : std::string());
    if (const std::string_view genre = ListedGenre(release.genres); !genre.empty())
        target.SelectGenre(std::string(genre));
    target.SetDisc(release.mediumPosition, release.mediumCount);
    target.AlignTitlesLeft();
    const int titled = std::min(rows, static_cast<int>(release.trackTitles.size()));
    for (int row = 0; row < titled; ++row)
        target.SetTitle(row, release.trackTitles[row]);
    target.SetReleaseDetails(release.details);
}

} // namespace corvath
