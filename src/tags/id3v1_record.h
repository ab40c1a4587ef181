#pragma once

#include "tags/track_record.h"

#include <id3v1tag.h>

namespace corvath {

/// The record an ID3v1 tag holds: title, artist, album, year as the date, comment, the genre
/// by name, the ID3v1.1 track number. Any thread.
TrackRecord RecordOf(const TagLib::ID3v1::Tag& tag);

} // namespace corvath
