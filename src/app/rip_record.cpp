#include "app/rip_record.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace corvath {

std::string VerdictText(const TrackVerdict& verdict)
{
    switch (verdict.kind) {
    case TrackVerdict::Kind::Accurate:
        return "accurately ripped (confidence " + std::to_string(verdict.confidence) + ")";
    case TrackVerdict::Kind::NotAccurate:
        return "not accurate";
    case TrackVerdict::Kind::NotInDatabase:
        return "not in database";
    case TrackVerdict::Kind::LookupFailed:
        return "lookup failed";
    case TrackVerdict::Kind::NotChecked:
        break;
    }
    return "not verified";
}

namespace {

// "Track 3 failed", "Tracks 2, 5 failed": the tracks that pass the test, or nothing.
template <typename Test>
std::string TracksThat(const std::vector<RippedTrack>& tracks, Test test, const char* what)
{
    std::string numbers;
    int count = 0;
    for (const RippedTrack& track : tracks) {
        if (!test(track))
            continue;
        numbers += (count++ == 0 ? "" : ", ") + std::to_string(track.number);
    }
    if (count == 0)
        return {};
    return (count == 1 ? "Track " : "Tracks ") + numbers + " " + what;
}

bool HasVerdict(const std::vector<RippedTrack>& tracks, TrackVerdict::Kind kind)
{
    return std::ranges::any_of(
        tracks, [&](const RippedTrack& track) { return track.verdict.kind == kind; });
}

} // namespace

std::size_t TracksNotRipped(const std::vector<RippedTrack>& tracks)
{
    return static_cast<std::size_t>(std::ranges::count_if(
        tracks, [](const RippedTrack& track) { return !track.failure.empty(); }));
}

std::string RipSummaryLine(const std::vector<RippedTrack>& tracks)
{
    using Kind = TrackVerdict::Kind;
    const bool allAccurate = !tracks.empty() && std::ranges::all_of(tracks, [](const auto& track) {
        return track.failure.empty() && track.verdict.kind == Kind::Accurate;
    });
    if (allAccurate)
        return "All tracks accurately ripped";
    std::vector<std::string> parts{
        TracksThat(
            tracks, [](const auto& track) { return !track.failure.empty() && !track.stopped; },
            "failed"),
        TracksThat(
            tracks, [](const auto& track) { return track.stopped; }, "not ripped"),
        TracksThat(
            tracks,
            [](const auto& track) {
                return track.failure.empty() && track.verdict.kind == Kind::NotAccurate;
            },
            "not accurately ripped")};
    const bool verified = std::ranges::any_of(
        tracks, [](const auto& track) { return track.verdict.kind != Kind::NotChecked; });
    if (verified)
        parts.push_back(TracksThat(
            tracks,
            [](const auto& track) {
                return track.failure.empty() && track.verdict.kind == Kind::NotChecked;
            },
            "not verified"));
    if (HasVerdict(tracks, Kind::NotInDatabase))
        parts.emplace_back("the disc is not in the AccurateRip database");
    if (HasVerdict(tracks, Kind::LookupFailed))
        parts.emplace_back("the AccurateRip lookup failed");
    std::erase_if(parts, [](const std::string& part) { return part.empty(); });
    if (parts.empty())
        return "All tracks ripped, not verified";
    std::string line;
    for (const std::string& part : parts)
        line += (line.empty() ? "" : "; ") + part;
    line[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[0])));
    return line;
}

std::string SingleLine(std::string text)
{
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = ' ';
    }
    return text;
}

std::string SectorTime(uint32_t sectors, char frameSeparator)
{
    constexpr uint32_t kPerSecond = 75;
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u%c%02u", sectors / (60 * kPerSecond),
                  sectors / kPerSecond % 60, frameSeparator, sectors % kPerSecond);
    return text;
}

const CdTrackFacts* TrackFactsOf(const RipRecord& record, int32_t number)
{
    if (number < 1 || static_cast<std::size_t>(number) > record.facts.Tracks.size())
        return nullptr;
    return &record.facts.Tracks[static_cast<std::size_t>(number - 1)];
}

} // namespace corvath
