#pragma once

#include "cd/cddb_entry_target.h"

#include <cstdint>
#include <string_view>

namespace corvath {

/// Writes what a CDDB entry's lines say into the target, line by line in the order received
/// (one line can give several fields; values are trimmed of spaces and control characters):
/// - a line holding "DTITLE": artist before the first "/", album after it, both after the
///   first "="; without "/", the value is both; an album ending in the disc of a set ("(Disc
///   2)", "CD2") gives the album without it and the disc's number (SplitAlbumDisc);
/// - "DYEAR" and "=": the year; "DGENRE" and "=": SelectGenre with the value as it is;
/// - "TITLE0" (an entry numbers the disc's first track 0, whatever its number on the disc): the
///   titles start; this line and the ones after it, one per track from firstTrack to lastTrack,
///   give the titles of rows 0, 1, ... (their keys unchecked), and the entry ends there.
/// Returns true when the titles were found.
bool ApplyCddbEntry(std::string_view entry, uint8_t firstTrack, uint8_t lastTrack,
                    CddbEntryTarget& target);

} // namespace corvath
