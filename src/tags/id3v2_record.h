#pragma once

#include "tags/track_record.h"

#include <id3v2tag.h>

namespace corvath {

/// Puts the record into an ID3v2 tag as UTF-8 frames: TIT2, TPE1, TPE2, TALB, TDRC, TCON,
/// TSRC, TRCK and TPOS "n/N", COMM (language "eng", no description), UFID of
/// http://musicbrainz.org with the recording id, TXXX with Picard's MusicBrainz descriptions,
/// APIC front cover. Every frame the reader would take a field from is replaced, or removed for
/// an empty field; other frames stay. Called by the tag writer on its caller's thread.
void PutRecord(TagLib::ID3v2::Tag& tag, const TrackRecord& record);

/// The record an ID3v2 tag holds: the frames above, numeric and "(17)" genres resolved by
/// TagLib, the COMM without a description before any other, the MusicBrainz TXXX descriptions
/// compared without regard to case, the front cover before other pictures. Any thread.
TrackRecord RecordOf(const TagLib::ID3v2::Tag& tag);

} // namespace corvath
