#include "lookup/held_cddb_entry.h"

#include <utility>

namespace corvath {

void HeldCddbEntry::Hold(Change change)
{
    const std::lock_guard lock(mutex_);
    changes_.push_back(std::move(change));
}

void HeldCddbEntry::ApplyTo(CddbEntryTarget& target)
{
    std::vector<Change> changes;
    {
        const std::lock_guard lock(mutex_);
        changes.swap(changes_);
    }
    for (const Change& change : changes)
        change(target);
}

void HeldCddbEntry::ClearDiscFields()
{
    Hold([](CddbEntryTarget& target) { target.ClearDiscFields(); });
}

void HeldCddbEntry::SetArtist(const std::string& artist)
{
    Hold([artist](CddbEntryTarget& target) { target.SetArtist(artist); });
}

void HeldCddbEntry::SetAlbum(const std::string& album)
{
    Hold([album](CddbEntryTarget& target) { target.SetAlbum(album); });
}

void HeldCddbEntry::SetYear(const std::string& year)
{
    Hold([year](CddbEntryTarget& target) { target.SetYear(year); });
}

void HeldCddbEntry::SelectGenre(const std::string& name)
{
    Hold([name](CddbEntryTarget& target) { target.SelectGenre(name); });
}

void HeldCddbEntry::SetDisc(int number, int total)
{
    Hold([number, total](CddbEntryTarget& target) { target.SetDisc(number, total); });
}

void HeldCddbEntry::AlignTitlesLeft()
{
    Hold([](CddbEntryTarget& target) { target.AlignTitlesLeft(); });
}

void HeldCddbEntry::SetTitle(int row, const std::string& title)
{
    Hold([row, title](CddbEntryTarget& target) { target.SetTitle(row, title); });
}

void HeldCddbEntry::SetReleaseDetails(const ReleaseDetails& details)
{
    Hold([details](CddbEntryTarget& target) { target.SetReleaseDetails(details); });
}

} // namespace corvath
