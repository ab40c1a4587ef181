#include "platform/cdrom/open_disc.h"

namespace corvath {

namespace {

constexpr uint8_t kAdrPosition = 0x10;

std::array<uint8_t, 4> Address(uint32_t sector, bool msf)
{
    if (msf) {
        constexpr uint32_t kFramesPerSecond = 75;
        constexpr uint32_t kFramesPerMinute = 60 * kFramesPerSecond;
        const uint32_t lba = sector + kCdLeadInSectors;
        return {0, static_cast<uint8_t>(lba / kFramesPerMinute),
                static_cast<uint8_t>(lba / kFramesPerSecond % 60),
                static_cast<uint8_t>(lba % kFramesPerSecond)};
    }
    return {static_cast<uint8_t>(sector >> 24), static_cast<uint8_t>(sector >> 16),
            static_cast<uint8_t>(sector >> 8), static_cast<uint8_t>(sector)};
}

} // namespace

CdToc MakeTocRecord(const DiscTracks& disc, bool msf)
{
    CdToc toc;
    const auto count = static_cast<uint8_t>(disc.tracks.size());
    toc.FirstTrack = disc.firstTrack;
    toc.LastTrack = static_cast<uint8_t>(disc.firstTrack + count - 1);
    // As a drive counts it: the two bytes after the length field and one entry per track plus
    // the lead-out.
    toc.Length = static_cast<uint16_t>(2 + sizeof(CdTocEntry) * (count + 1u));
    for (std::size_t k = 0; k <= count; ++k) {
        const bool leadOut = k == count;
        CdTocEntry& entry = toc.Entries[k];
        // The lead-out carries the last track's control bits, as drives report it.
        entry.AdrControl =
            static_cast<uint8_t>(kAdrPosition | disc.tracks[leadOut ? k - 1 : k].control);
        entry.TrackNumber = leadOut ? kCdLeadOutTrack : static_cast<uint8_t>(disc.firstTrack + k);
        entry.Address = Address(leadOut ? disc.leadOut : disc.tracks[k].start, msf);
    }
    return toc;
}

} // namespace corvath
