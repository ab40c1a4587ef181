#include "lookup/held_cddb_entry.h"
#include "support/recorded_entry.h"

#include <gtest/gtest.h>
#include <thread>

namespace corvath {
namespace {

// Every kind of change, as a lookup makes them.
void MakeChanges(CddbEntryTarget& entry)
{
    entry.ClearDiscFields();
    entry.SetArtist("Artist");
    entry.SetAlbum("Album");
    entry.SetYear("1999");
    entry.SelectGenre("rock");
    entry.SetDisc(2, 3);
    entry.AlignTitlesLeft();
    entry.SetTitle(0, "One");
    entry.SetTitle(1, "Two");
    ReleaseDetails details;
    details.albumId = "id-1";
    entry.SetReleaseDetails(details);
}

// Changes made on a lookup's thread reach the target only when applied, all of them and in
// their order, and once.
TEST(HeldCddbEntryTest, HoldsTheChangesUntilTheyAreApplied)
{
    HeldCddbEntry held;
    std::thread lookup([&] { MakeChanges(held); });
    lookup.join();
    test::RecordedEntry direct;
    MakeChanges(direct);

    test::RecordedEntry target;
    held.ApplyTo(target);
    EXPECT_EQ(target.calls, direct.calls);
    EXPECT_EQ(target.titles, direct.titles);

    test::RecordedEntry again;
    held.ApplyTo(again);
    EXPECT_TRUE(again.calls.empty()) << "applied once";
}

} // namespace
} // namespace corvath
