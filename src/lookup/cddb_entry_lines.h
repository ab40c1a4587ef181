#pragma once

#include "lookup/cddb_entry_target.h"

#include <cstdint>
#include <string_view>

namespace corvath {

/// Writes what a CDDB entry (xmcd format) says into the target. Lines are "KEY=value", in any
/// order, ending in LF or CRLF; "#" lines are comments. A key given on several lines has the
/// values of those lines joined in their order, as the format continues a long value; the whole
/// value is then trimmed of spaces and tabs at its ends, control characters within it being blanks
/// (BlankControlCharacters).
/// - "DTITLE": artist before the first " / ", album after it; without " / ", the value is both.
///   An album ending in the disc of a set ("(Disc 2)", "CD2") gives the album without it and
///   the disc's number (SplitAlbumDisc);
/// - "DYEAR": the year; "DGENRE": SelectGenre with the value as it is;
/// - "TTITLE<n>": the title of row n, n counting from 0 at the disc's first track whatever its
///   number (so a missing key leaves its row alone and shifts no other); n past lastTrack is
///   ignored.
/// The calls come in that order: artist and album, year, genre, then, when there are titles,
/// AlignTitlesLeft and the titles by row. Returns true when the entry has a title for a row
/// of the disc.
bool ApplyCddbEntry(std::string_view entry, uint8_t firstTrack, uint8_t lastTrack,
                    CddbEntryTarget& target);

} // namespace corvath
