#include "platform/cdrom/track_span.h"

#include "platform/cdrom/disc_id.h"

namespace corvath {

std::optional<SectorSpan> TrackSectors(const CdToc& toc, int32_t position)
{
    const int32_t tracks = toc.LastTrack - toc.FirstTrack + 1;
    if (position < 0 || position > tracks || tracks < 1 ||
        tracks >= static_cast<int32_t>(kCdMaxTocEntries))
        return std::nullopt;
    if (position == kHiddenTrackPosition) {
        const uint32_t first = TocEntryFrames(toc.Entries[0]);
        if (IsDataTrack(toc.Entries[0]) || first <= kCdLeadInSectors)
            return std::nullopt;
        return SectorSpan{0, first - kCdLeadInSectors};
    }
    const auto index = static_cast<std::size_t>(position - 1);
    if (IsDataTrack(toc.Entries[index]))
        return std::nullopt;
    const uint32_t begin = TocEntryFrames(toc.Entries[index]);
    // An enhanced CD's last audio track ends before the gap to the data session.
    const uint32_t end = TrackEndFrames(toc)[index];
    if (begin < kCdLeadInSectors || end <= begin) // a track of no sectors holds no audio
        return std::nullopt;
    return SectorSpan{begin - kCdLeadInSectors, end - begin};
}

} // namespace corvath
