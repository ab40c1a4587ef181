#pragma once

#include "tags/track_record.h"

#include <asftag.h>

namespace corvath {

/// Puts the record into an ASF tag: title, artist (Author) and comment (Description) into the
/// content description, whose copies among the attributes go (ffmpeg writes "title", "Author"
/// and "Description" there too); WM/AlbumTitle, WM/AlbumArtist, WM/TrackNumber (the number alone,
/// as a string: the total has no place), WM/PartOfSet "n/N", WM/Year, WM/Genre, WM/ISRC, the
/// MusicBrainz/... ids and WM/Picture (front cover) as attributes. Each replaces the attributes of
/// its name in any case, an empty field removes them. Other attributes stay, among them Copyright
/// and WM/Track, which our WMA encoder writes from the comment and the track number. Called by the
/// tag writer on its caller's thread.
void PutRecord(TagLib::ASF::Tag& tag, const TrackRecord& record);

/// The record an ASF tag holds: the fields above, a content description field left empty taken
/// from its attribute copy (ffmpeg writes the comment only there), attribute names compared
/// without regard to case, WM/TrackNumber as a string or a number, and without it the old
/// zero-based WM/Track plus one; the front cover before other pictures. Any thread.
TrackRecord RecordOf(const TagLib::ASF::Tag& tag);

} // namespace corvath
