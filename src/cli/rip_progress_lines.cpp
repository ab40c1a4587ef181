#include "cli/rip_progress_lines.h"

#include "app/output_naming.h"
#include "cli/terminal_text.h"
#include "platform/text/hex_text.h"

#include <algorithm>

namespace corvath::cli {

void RipProgressLines::ShowCurrentTrack(const RipEntry& track)
{
    label_ = "Track " + TwoDigits(track.number) + " " + track.title;
    labelTrack_ = track.number;
}

void RipProgressLines::ShowHint(const std::string& hint)
{
    if (hint == kRipVerifying) {
        EndLine();
        out_ << hint << '\n';
        return;
    }
    const std::string step = hint == kRipNormalizing ? " normalizing"
                             : hint == kRipEncoding  ? " encoding"
                                                     : "";
    StartLine(label_ + step);
    lineTrack_ = labelTrack_;
}

// A track's files are made while the next is read: those of another track than the line's
// come between lines.
void RipProgressLines::ShowWritten(const RipEntry& track, const std::string& file)
{
    if (LineUnderWay() && lineTrack_ == track.number)
        EndLine("100% -> " + file);
    else
        PrintBetweenLines("Track " + TwoDigits(track.number) + " " + TerminalText(track.title) +
                          ": 100% -> " + file);
}

void RipProgressLines::ShowChecksums(const TrackChecksumValues& checksums)
{
    out_ << "  copy CRC " << HexText(checksums.copyCrc) << ", AccurateRip v1 "
         << HexText(checksums.accurateRipV1) << ", v2 " << HexText(checksums.accurateRipV2) << '\n';
}

void RipProgressLines::ShowError(const std::string& message)
{
    EndLine();
    err_ << TerminalText(message) << '\n';
}

void RipProgressLines::ShowReportFailure(const std::string& message)
{
    ShowError(message);
    MarkFailed();
}

void RipProgressLines::ShowDriveFailure(const std::string& message)
{
    ShowError(message);
    MarkFailed();
    MarkOver();
}

void RipProgressLines::ShowVerdict(const RipEntry& track, const TrackVerdict& verdict)
{
    // A verdict that comes late waits for the progress line of the track under way.
    PrintBetweenLines("  Track " + TwoDigits(track.number) + ' ' + TerminalText(track.title) +
                      ": " + VerdictText(verdict));
}

// A track merely unknown to the database is no failure; one that did not rip is.
void RipProgressLines::ShowSummary(const RipResults& results)
{
    EndLine();
    const std::vector<RippedTrack>& tracks = results.tracks;
    const auto failed = std::ranges::count_if(
        tracks, [](const RippedTrack& track) { return !track.failure.empty(); });
    if (failed > 0) {
        err_ << "corvath-cli rip: " << failed << (failed == 1 ? " track was" : " tracks were")
             << " not ripped:\n";
        for (const RippedTrack& track : tracks)
            if (!track.failure.empty())
                err_ << "  Track " << TwoDigits(track.number) << " " << TerminalText(track.title)
                     << ": " << TerminalText(track.failure) << '\n';
        MarkFailed();
    }
    summaryOut_ << results.summary << std::endl;
}

} // namespace corvath::cli
