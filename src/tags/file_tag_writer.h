#pragma once

#include "tags/track_record.h"

#include <string>

namespace corvath {

/// The tag formats the tag writer puts into finished files.
enum class FileTagFormat {
    Id3v2, ///< ID3v2.4 at the start of an MP3 file
    Ape,   ///< APEv2 at the end of a Monkey's Audio file
    Asf,   ///< the header attributes of a WMA file
    Wav,   ///< a WAV file's ID3v2 chunk, and its LIST/INFO chunk for the fields INFO has
};

/// Writes the record into a finished file as that format's tag (see PutRecord in
/// id3v2_record.h, ape_record.h, asf_record.h and riff_info_record.h for the names), creating the
/// tag when there is none. Every frame, item or attribute the tag reader takes a field from is
/// replaced by the record's value, or removed where the record's field is empty, so ReadFileTags
/// gives the record back; the tag's other contents stay, as do other tags: an MP3's ID3v1 tag at
/// its end is left exactly as it is. In a WMA file our encoder's Copyright (the comment) and
/// WM/Track (the track number as its tags gave it) are such other contents and stay untouched.
///
/// Worker thread (the file's encoder calls it once the file is complete). Throws
/// std::runtime_error "Cannot write the tags of <file>: <why>" when the file cannot be opened
/// for writing, is not a file of that format, or cannot be saved.
void WriteFileTags(const std::string& path, FileTagFormat format, const TrackRecord& record);

} // namespace corvath
