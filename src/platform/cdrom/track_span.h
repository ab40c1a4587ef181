#pragma once

#include "platform/cdrom/cd_records.h"

#include <cstdint>
#include <optional>

namespace corvath {

/// A stretch of a disc's sectors (0 = the sector at 00:02:00).
struct SectorSpan {
    uint32_t start = 0;
    uint32_t count = 0;
};

/// The TOC position of the track a disc may hide before its first: the stretch from 00:02:00
/// to the first track's start.
inline constexpr int32_t kHiddenTrackPosition = 0;

/// The sectors of the track at TOC position `position` (1 for the TOC's first entry) of a TOC
/// read with MSF addresses: from its own address to where it ends (TrackEndFrames), so a disc
/// whose first track starts late keeps every track where the TOC puts it. Position 0 is the
/// stretch before the first track, when that track is audio and starts late. Nothing for a data
/// track, which a drive refuses to read as audio, or a position the TOC does not have.
std::optional<SectorSpan> TrackSectors(const CdToc& toc, int32_t position);

} // namespace corvath
