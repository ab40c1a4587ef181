#pragma once

#include "tags/track_record.h"

#include <infotag.h>

namespace corvath {

/// Makes TagLib decode the texts of every RIFF INFO chunk it reads from then on as UTF-8, or as
/// Windows-1252 when they are not valid UTF-8 (what TagLib alone would read as empty), and write
/// them as UTF-8 (it would write Latin-1, losing every other character). The setting is
/// TagLib's, for the whole process: the tag reader and writer call this before they open a WAV
/// file. Any thread; the first call installs, the others do nothing.
void DecodeInfoTextAsUtf8OrWindows1252();

/// The record a WAV file's LIST/INFO chunk holds: INAM title, IART artist, IPRD album, ICRD
/// date, IGNR genre, ICMT comment, IPRT (else ITRK) track as "n" or "n/N". Any thread.
TrackRecord RecordOf(const TagLib::RIFF::Info::Tag& tag);

/// Puts the record's fields above into a LIST/INFO chunk, the track into IPRT as its number
/// alone; an empty field removes its entry. Called by the tag writer on its caller's thread.
void PutRecord(TagLib::RIFF::Info::Tag& tag, const TrackRecord& record);

} // namespace corvath
