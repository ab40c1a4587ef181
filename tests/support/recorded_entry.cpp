#include "support/recorded_entry.h"

namespace corvath::test {

void RecordedEntry::ClearDiscFields()
{
    calls.push_back("clear");
    artist.reset();
    album.reset();
    year.reset();
    genre.reset();
    disc.reset();
}

void RecordedEntry::SetArtist(const std::string& value)
{
    calls.push_back("artist " + value);
    artist = value;
}

void RecordedEntry::SetAlbum(const std::string& value)
{
    calls.push_back("album " + value);
    album = value;
}

void RecordedEntry::SetYear(const std::string& value)
{
    calls.push_back("year " + value);
    year = value;
}

void RecordedEntry::SelectGenre(const std::string& name)
{
    calls.push_back("genre " + name);
    genre = name;
}

void RecordedEntry::SetDisc(int number, int total)
{
    calls.push_back("disc " + std::to_string(number) + " of " + std::to_string(total));
    disc = {number, total};
}

void RecordedEntry::AlignTitlesLeft()
{
    calls.push_back("align left");
}

void RecordedEntry::SetTitle(int row, const std::string& title)
{
    calls.push_back("title " + std::to_string(row) + ' ' + title);
    titles[row] = title;
}

void RecordedEntry::SetReleaseDetails(const ReleaseDetails& details)
{
    calls.push_back("details " + details.albumId);
}

} // namespace corvath::test
