#pragma once

#include "platform/cdrom/cd_records.h"

#include <cstdint>

namespace corvath {

/// Whether the disc of the handle hides a track before its first (TrackSectors position 0): the
/// stretch lasts at least a second and sound, not silence, is found in it. A few short reads
/// spread across the stretch decide, so even a drive answers quickly; a stretch the drive
/// refuses to read counts as silent.
bool HasHiddenTrack(int32_t handle, const CdToc& toc);

} // namespace corvath
