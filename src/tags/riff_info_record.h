#pragma once

#include "tags/track_record.h"

#include <infotag.h>

namespace corvath {

/// Makes TagLib decode the texts of every RIFF INFO chunk it reads from then on as UTF-8, or as
/// Windows-1252 when they are not valid UTF-8 (what TagLib alone would read as empty). The
/// setting is TagLib's, for the whole process: the tag reader calls this before it opens a WAV
/// file. Any thread; the first call installs, the others do nothing.
void DecodeInfoTextAsUtf8OrWindows1252();

/// The record a WAV file's LIST/INFO chunk holds: INAM title, IART artist, IPRD album, ICRD
/// date, IGNR genre, ICMT comment, IPRT (else ITRK) track as "n" or "n/N". Any thread.
TrackRecord RecordOf(const TagLib::RIFF::Info::Tag& tag);

} // namespace corvath
