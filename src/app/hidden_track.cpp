#include "app/hidden_track.h"

#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/track_span.h"

#include <cstdlib>

namespace corvath {

namespace {

constexpr uint32_t kShortestHiddenTrack = 75; // sectors: a second
constexpr uint32_t kProbes = 8;
constexpr uint32_t kSectorsPerProbe = 4;
// About -40 dBFS: quieter than any music, louder than the hiss of an analogue master's gap.
constexpr int kSoundLevel = 328;

bool HoldsSound(int32_t handle, uint32_t start)
{
    CdTrackBuffer buffer;
    buffer.StartSector = start;
    buffer.SectorCount = kSectorsPerProbe;
    buffer.Capacity = kSectorsPerProbe * kCdSectorBytes;
    buffer.Data.resize(buffer.Capacity);
    if (ReadCDAudioLBA(handle, buffer) != 1 ||
        uint64_t{buffer.DataOffset} + buffer.ReturnedBytes > buffer.Data.size())
        return false;
    const uint8_t* bytes = buffer.Data.data() + buffer.DataOffset;
    for (uint32_t at = 0; at + 1 < buffer.ReturnedBytes; at += 2) {
        const auto sample = static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8);
        if (std::abs(int{sample}) >= kSoundLevel)
            return true;
    }
    return false;
}

} // namespace

bool HasHiddenTrack(int32_t handle, const CdToc& toc)
{
    const std::optional<SectorSpan> span = TrackSectors(toc, kHiddenTrackPosition);
    if (!span || span->count < kShortestHiddenTrack)
        return false;
    // Probes at the middles of equal parts of the stretch.
    const uint32_t room = span->count - kSectorsPerProbe;
    for (uint32_t probe = 0; probe < kProbes; ++probe) {
        if (HoldsSound(handle, span->start + room * (2 * probe + 1) / (2 * kProbes)))
            return true;
    }
    return false;
}

} // namespace corvath
