#pragma once

#include "tags/track_record.h"

#include <string>

namespace corvath {

/// The tags of an audio file as a track record, for a file the program converts:
/// - MP3: the ID3v2 tag, its ID3v1 tag filling what the first lacks;
/// - WAV: the ID3v2 chunk ("ID3 " or "id3 "), the LIST/INFO chunk filling what the first lacks:
///   ID3v2 holds every field with a defined text encoding, INFO few and in no agreed one, and
///   programs that write both write the same values into each;
/// - WMA: the content description and the attributes;
/// - FLAC, Ogg Vorbis, Opus: the Vorbis comment (and a FLAC file's PICTURE blocks);
/// - Monkey's Audio: the APEv2 tag.
/// The cover is the front cover, else the first picture, that CoverPictureOf accepts. The kind
/// of file is taken as AudioFileKindOf says (extension, else first bytes).
///
/// An empty record for a file without tags, one TagLib cannot read, a damaged, missing or
/// unreadable file and anything but a regular file; never throws. Any thread.
TrackRecord ReadFileTags(const std::string& path);

} // namespace corvath
