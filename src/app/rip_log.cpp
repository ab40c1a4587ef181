#include "app/rip_log.h"

#include "platform/cdrom/disc_codes.h"
#include "platform/cdrom/disc_id.h"
#include "platform/text/hex_text.h"

#include <algorithm>
#include <optional>

namespace corvath {

namespace {

std::string SignedSamples(int32_t samples)
{
    const std::string number =
        samples > 0 ? "+" + std::to_string(samples) : std::to_string(samples);
    return number + (samples == 1 || samples == -1 ? " sample" : " samples");
}

// A column padded with spaces on the right to width characters.
std::string Column(const std::string& text, std::size_t width)
{
    return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

// The TOC with each track's pre-gap length, "-" where the drive does not tell.
std::string TocTable(const CdToc& toc, const std::vector<std::optional<uint32_t>>& pregaps)
{
    const DiscFrames frames = TocFrames(toc);
    const std::vector<uint32_t> ends = TrackEndFrames(toc);
    if (toc.FirstTrack == 0 || frames.trackStarts.empty()) // track numbers start at 1
        return "Table of contents: none\n";
    // Sector numbers from 00:02:00; a TOC read as a drive reports it never lies before that.
    const auto sector = [](uint32_t frame) {
        return frame > kCdLeadInSectors ? frame - kCdLeadInSectors : 0;
    };
    std::string text = "Table of contents\n  " + Column("Track", 10) + Column("Start", 10) +
                       Column("Length", 10) + Column("Start sector", 14) +
                       Column("End sector", 12) + Column("Type", 7) + "Pre-gap\n";
    for (std::size_t k = 0; k < frames.trackStarts.size(); ++k) {
        const uint32_t start = sector(frames.trackStarts[k]);
        const uint32_t end = std::max(start + 1, sector(ends[k]));
        const bool data = IsDataTrack(toc.Entries[k]);
        const bool pregap = k < pregaps.size() && pregaps[k] && *pregaps[k] < start;
        text += "  " + Column(std::to_string(toc.Entries[k].TrackNumber), 10) +
                Column(SectorTime(start, '.'), 10) + Column(SectorTime(end - start, '.'), 10) +
                Column(std::to_string(start), 14) + Column(std::to_string(end - 1), 12) +
                Column(data ? "data" : "audio", 7) +
                (pregap ? SectorTime(start - *pregaps[k], '.') : "-") + "\n";
    }
    const uint32_t leadOut = sector(frames.leadOut);
    text += "  " + Column("Lead-out", 10) + Column(SectorTime(leadOut, '.'), 20) +
            std::to_string(leadOut) + "\n";
    return text;
}

// Runs of consecutive sectors as one "start-end" span of disc times.
std::string SectorSpans(const std::vector<uint32_t>& sectors)
{
    std::vector<uint32_t> sorted = sectors;
    std::sort(sorted.begin(), sorted.end());
    std::string text;
    for (std::size_t i = 0; i < sorted.size();) {
        std::size_t last = i;
        while (last + 1 < sorted.size() && sorted[last + 1] <= sorted[last] + 1)
            ++last;
        text += (text.empty() ? "" : ", ") + SectorTime(sorted[i], '.');
        if (sorted[last] != sorted[i])
            text += "-" + SectorTime(sorted[last], '.');
        i = last + 1;
    }
    return text;
}

std::string TrackSection(const RippedTrack& track, const CdTrackFacts* facts)
{
    const auto checksum = [&](uint32_t TrackChecksumValues::*value) {
        return track.checksums ? HexText((*track.checksums).*value) : std::string("-");
    };
    const bool accurate = track.verdict.kind == TrackVerdict::Kind::Accurate;
    const auto matched = [&](int version) {
        return accurate && track.verdict.version == version ? " (matched)" : "";
    };
    std::string text =
        "Track " + std::to_string(track.number) + ": " + SingleLine(track.title) + "\n";
    text += "  File: " + (track.file.empty() ? "-" : SingleLine(track.file)) + "\n";
    if (facts && IsIsrc(facts->Isrc))
        text += "  ISRC: " + facts->Isrc + "\n";
    if (facts && facts->PreEmphasis)
        text += "  Pre-emphasis: yes\n";
    text += "  Copy CRC: " + checksum(&TrackChecksumValues::copyCrc) + "\n";
    text +=
        "  AccurateRip v1: " + checksum(&TrackChecksumValues::accurateRipV1) + matched(1) + "\n";
    text +=
        "  AccurateRip v2: " + checksum(&TrackChecksumValues::accurateRipV2) + matched(2) + "\n";
    text += "  AccurateRip: " + VerdictText(track.verdict) + "\n";
    if (track.loudness)
        text += "  Track gain: " + ReplayGainText(*track.loudness) +
                ", peak: " + ReplayGainPeakText(*track.loudness) + "\n";
    if (!track.doubtfulSectors.empty())
        text += "  Doubtful sectors: " + std::to_string(track.doubtfulSectors.size()) + " at " +
                SectorSpans(track.doubtfulSectors) + "\n";
    if (!track.failure.empty())
        text += "  Failed: " + SingleLine(track.failure) + "\n";
    return text;
}

} // namespace

std::string RipLogText(const RipRecord& record)
{
    std::string text = SingleLine(record.program) + "\n\n";
    text += "Date: " + SingleLine(record.date) + "\n";
    text += "Drive: " + SingleLine(record.drive) + "\n";
    text += "Read offset: " + SignedSamples(record.readOffset) + "\n";
    text += std::string("Secure reads: ") + (record.secureReads ? "on" : "off") + "\n";
    if (!record.lookupFailure.empty())
        text += "AccurateRip lookup failed: " + SingleLine(record.lookupFailure) + "\n";
    text += "\n";
    text += "Artist: " + SingleLine(record.disc.Artist) + "\n";
    text += "Album: " + SingleLine(record.disc.Album) + "\n";
    text += "Disc ID: " + record.discId + "\n";
    if (IsCatalogNumber(record.facts.Catalog))
        text += "Catalogue number: " + record.facts.Catalog + "\n";
    if (record.album)
        text += "Album gain: " + ReplayGainText(*record.album) +
                ", peak: " + ReplayGainPeakText(*record.album) + "\n";
    text += "\n";
    text += TocTable(record.toc, record.pregaps) + "\n";
    for (const RippedTrack& track : record.tracks)
        text += TrackSection(track, TrackFactsOf(record, track.number)) + "\n";
    text += RipSummaryLine(record.tracks) + "\n";
    if (record.stopped)
        text += "The rip was stopped before its end\n";
    return text;
}

} // namespace corvath
