#include "platform/cdrom/disc_id.h"

#include <algorithm>
#include <cstdio>

namespace corvath {

namespace {

constexpr uint32_t kFramesPerSecond = 75;

// The number of tracks a TOC describes, its lead-out entry excluded.
std::size_t TrackCount(const CdToc& toc)
{
    if (toc.LastTrack < toc.FirstTrack)
        return 0;
    return std::min<std::size_t>(toc.LastTrack - toc.FirstTrack + 1u, kCdMaxTocEntries - 1);
}

uint32_t DigitSum(uint32_t number)
{
    uint32_t sum = 0;
    for (; number > 0; number /= 10)
        sum += number % 10;
    return sum;
}

} // namespace

uint32_t TocEntryFrames(const CdTocEntry& entry)
{
    return entry.Address[1] * 60u * kFramesPerSecond + entry.Address[2] * kFramesPerSecond +
           entry.Address[3];
}

DiscFrames TocFrames(const CdToc& toc)
{
    const std::size_t tracks = TrackCount(toc);
    DiscFrames disc;
    for (std::size_t k = 0; k < tracks; ++k)
        disc.trackStarts.push_back(TocEntryFrames(toc.Entries[k]));
    disc.leadOut = TocEntryFrames(toc.Entries[tracks]);
    return disc;
}

uint32_t FreedbDiscNumber(const DiscFrames& disc)
{
    uint32_t digits = 0;
    for (const uint32_t start : disc.trackStarts)
        digits += DigitSum(start / kFramesPerSecond);
    const uint32_t first = disc.trackStarts.empty() ? 0 : disc.trackStarts.front();
    const uint32_t seconds = disc.leadOut / kFramesPerSecond - first / kFramesPerSecond;
    return (digits % 255) << 24 | (seconds & 0xFFFF) << 8 |
           static_cast<uint32_t>(disc.trackStarts.size() & 0xFF);
}

std::string FreedbDiscId(const DiscFrames& disc)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08x", FreedbDiscNumber(disc));
    return text;
}

std::string FreedbDiscId(const CdToc& toc)
{
    return FreedbDiscId(TocFrames(toc));
}

int32_t WindowsDiscSerial(const CdToc& toc)
{
    const std::size_t tracks = TrackCount(toc);
    if (tracks == 0)
        return 0;
    uint32_t serial = 0;
    for (std::size_t k = 0; k < tracks; ++k) {
        const auto& address = toc.Entries[k].Address;
        serial += uint32_t{address[1]} << 16 | uint32_t{address[2]} << 8 | address[3];
    }
    if (tracks < 3) {
        const CdTocEntry& first = toc.Entries[0];
        serial += first.Address[3] + TocEntryFrames(toc.Entries[tracks]) - TocEntryFrames(first);
    }
    return static_cast<int32_t>(serial);
}

} // namespace corvath
