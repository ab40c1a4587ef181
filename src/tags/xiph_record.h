#pragma once

#include "tags/track_record.h"

#include <flacpicture.h>
#include <optional>
#include <tlist.h>
#include <xiphcomment.h>

namespace corvath {

/// The record a Vorbis comment holds (FLAC, Ogg Vorbis and Opus files): the names Picard
/// writes, TRACKNUMBER and DISCNUMBER as "n" or "n/N" with their totals from TRACKTOTAL or
/// TOTALTRACKS and DISCTOTAL or TOTALDISCS, COMMENT else DESCRIPTION, and the cover from its
/// METADATA_BLOCK_PICTURE fields. Not const: TagLib decodes the pictures on demand. Any thread.
TrackRecord RecordOf(TagLib::Ogg::XiphComment& comment);

/// The cover among FLAC pictures (a FLAC file's PICTURE blocks): the front cover before others.
std::optional<CoverPicture> CoverOf(const TagLib::List<TagLib::FLAC::Picture*>& pictures);

} // namespace corvath
