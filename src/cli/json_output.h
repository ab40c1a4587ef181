#pragma once

#include "lookup/musicbrainz_release.h"
#include "platform/cdrom/cd_records.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvath::cli {

/// What toc prints, as a JSON object for programs: the disc's identifiers and its tracks, each
/// with its number, start and length in sectors (from sector 0 of the first track's address
/// space, as the lead-out), kind and, for the first, its pre-gap. toc must have been read with
/// MSF addresses.
std::string TocJson(const CdToc& toc, bool hiddenTrack, int32_t readOffset);

/// The releases musicbrainz lists, as a JSON object with the array "releases", each numbered as
/// --release takes it.
std::string ReleasesJson(const std::vector<MusicBrainzRelease>& releases);

} // namespace corvath::cli
