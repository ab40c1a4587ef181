#include "platform/cdrom/disc_id.h"

#include "platform/text/base64.h"
#include "platform/text/hex_text.h"

#include <algorithm>
#include <array>
#include <nettle/sha1.h>

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

// How far an enhanced CD's data track starts past its audio session's lead-out: that session's
// lead-out area, the next session's lead-in and the data track's pre-gap.
constexpr uint32_t kSessionGapFrames = 11400;
constexpr std::size_t kMusicBrainzTrackSlots = 99;

// SHA-1 of the text, in Base64 with the characters a URL keeps as they are.
std::string UrlSafeSha1Base64(const std::string& text)
{
    sha1_ctx sha1;
    sha1_init(&sha1);
    sha1_update(&sha1, text.size(), reinterpret_cast<const uint8_t*>(text.data()));
    std::array<uint8_t, SHA1_DIGEST_SIZE> digest{};
    sha1_digest(&sha1, digest.size(), digest.data());

    std::string encoded = Base64(digest);
    for (char& c : encoded)
        c = c == '+' ? '.' : c == '/' ? '_' : c == '=' ? '-' : c;
    return encoded;
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
    return HexText(FreedbDiscNumber(disc), 8, HexLetters::Lower);
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

namespace {

// The number of tracks before the trailing data tracks.
std::size_t AudioTrackCount(const CdToc& toc)
{
    std::size_t audioTracks = TrackCount(toc);
    while (audioTracks > 0 && IsDataTrack(toc.Entries[audioTracks - 1]))
        --audioTracks;
    return audioTracks;
}

} // namespace

std::vector<uint32_t> TrackEndFrames(const CdToc& toc)
{
    const DiscFrames disc = TocFrames(toc);
    std::vector<uint32_t> ends;
    for (std::size_t k = 0; k < disc.trackStarts.size(); ++k)
        ends.push_back(k + 1 < disc.trackStarts.size() ? disc.trackStarts[k + 1] : disc.leadOut);
    const std::size_t audioTracks = AudioTrackCount(toc);
    if (audioTracks > 0 && audioTracks < disc.trackStarts.size()) {
        const uint32_t dataStart = disc.trackStarts[audioTracks];
        // A data track too close to the last audio track for a second session (a single-session
        // mixed disc) ends the audio where it starts.
        if (dataStart > disc.trackStarts[audioTracks - 1] + kSessionGapFrames)
            ends[audioTracks - 1] = dataStart - kSessionGapFrames;
    }
    return ends;
}

MusicBrainzDisc MusicBrainzDiscOf(const CdToc& toc)
{
    const DiscFrames disc = TocFrames(toc);
    const std::size_t audioTracks = AudioTrackCount(toc);
    if (audioTracks == 0 || toc.FirstTrack == 0)
        return {};
    const uint32_t leadOut = TrackEndFrames(toc)[audioTracks - 1];

    const uint32_t first = toc.FirstTrack;
    const uint32_t last = first + static_cast<uint32_t>(audioTracks) - 1;
    std::array<uint32_t, kMusicBrainzTrackSlots> offsets{};
    std::string tocQuery =
        std::to_string(first) + '+' + std::to_string(last) + '+' + std::to_string(leadOut);
    for (std::size_t k = 0; k < audioTracks && first + k <= offsets.size(); ++k) {
        offsets[first + k - 1] = disc.trackStarts[k];
        tocQuery += '+' + std::to_string(disc.trackStarts[k]);
    }

    std::string hashed = HexText(first, 2) + HexText(last, 2) + HexText(leadOut);
    for (const uint32_t offset : offsets)
        hashed += HexText(offset);
    return {UrlSafeSha1Base64(hashed), tocQuery};
}

} // namespace corvath
