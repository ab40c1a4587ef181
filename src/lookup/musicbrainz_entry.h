#pragma once

#include "lookup/cddb_entry_target.h"
#include "lookup/musicbrainz_release.h"

namespace corvath {

/// Writes a chosen release into the target as a CDDB entry would: the disc fields are emptied,
/// then artist, album, year, the disc's place in the release's set of discs, the titles of the
/// medium's tracks, row 0 for its first track (titles beyond the rows stay out), and last the
/// release's details. The genre is selected only when one of the release's genres names an entry of
/// the genre list, whatever its case; the first such counts.
void ApplyMusicBrainzRelease(const MusicBrainzRelease& release, int rows, CddbEntryTarget& target);

} // namespace corvath
