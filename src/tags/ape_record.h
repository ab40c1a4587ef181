#pragma once

#include "tags/track_record.h"

#include <apetag.h>

namespace corvath {

/// Puts the record into an APEv2 tag as UTF-8 text items with Picard's keys (Title, Artist,
/// Album Artist, Album, Year, Genre, Comment, Track and Disc "n/N", ISRC, MUSICBRAINZ_*) and
/// the binary item "Cover Art (Front)": a file name, a NUL, the image. Each item replaces the
/// item of that key in any case, the cover every "Cover Art (...)" picture; an empty field
/// removes them; other items stay. Called by the tag writer on its caller's thread.
void PutRecord(TagLib::APE::Tag& tag, const TrackRecord& record);

/// The record an APEv2 tag holds: the items above, keys in any case, the front cover before
/// any other "Cover Art (...)" item. Any thread.
TrackRecord RecordOf(const TagLib::APE::Tag& tag);

} // namespace corvath
