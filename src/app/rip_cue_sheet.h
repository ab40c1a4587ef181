#pragma once

#include "app/rip_record.h"

#include <string>

namespace corvath {

/// A cue sheet of a rip's files, one FILE per ripped track (MP3 for .mp3 files, WAVE for the
/// others, as readers take any decoded format under that type), with the disc's genre, year,
/// artist and album and each track's title. A pre-gap the disc has between two ripped tracks
/// lies at the end of the earlier track's file, so the later TRACK and its INDEX 00 come in
/// that FILE and the track's own FILE starts at its INDEX 01; the hidden track's file likewise
/// holds the first track's INDEX 00. Failed tracks are left out, and the tracks listed are
/// numbered from 01 one after another, as cue sheet readers require.
/// Double quotes in values become single quotes and line breaks spaces, as cue sheets have no
/// way to escape them; a file whose name holds a double quote therefore cannot be named.
std::string CueSheetText(const RipRecord& record);

} // namespace corvath
