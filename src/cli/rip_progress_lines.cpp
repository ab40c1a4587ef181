#include "cli/rip_progress_lines.h"

#include "app/output_naming.h"
#include "cli/terminal_text.h"

#include <cstdio>

namespace corvath::cli {

namespace {

// As rip logs and the checksum tools print them.
std::string Hex8(uint32_t value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

} // namespace

void RipProgressLines::ShowCurrentTrack(const RipEntry& track)
{
    label_ = "Track " + TwoDigits(track.number) + " " + track.title;
}

void RipProgressLines::ShowHint(const std::string& hint)
{
    const std::string step = hint == kRipNormalizing ? " normalizing"
                             : hint == kRipEncoding  ? " encoding"
                                                     : "";
    StartLine(label_ + step);
}

void RipProgressLines::ShowChecksums(const TrackChecksumValues& checksums)
{
    out_ << "  copy CRC " << Hex8(checksums.copyCrc) << ", AccurateRip v1 "
         << Hex8(checksums.accurateRipV1) << ", v2 " << Hex8(checksums.accurateRipV2) << '\n';
}

void RipProgressLines::ShowError(const std::string& message)
{
    EndLine();
    err_ << TerminalText(message) << '\n';
}

void RipProgressLines::ShowDriveFailure(const std::string& message)
{
    ShowError(message);
    MarkFailed();
    MarkOver();
}

void RipProgressLines::ShowFailures(const std::vector<FailedTrack>& failures)
{
    EndLine();
    err_ << "corvath-cli rip: " << failures.size()
         << (failures.size() == 1 ? " track was" : " tracks were") << " not ripped:\n";
    for (const FailedTrack& failure : failures)
        err_ << "  Track " << TwoDigits(failure.track.number) << " "
             << TerminalText(failure.track.title) << ": " << TerminalText(failure.reason) << '\n';
    MarkFailed();
}

} // namespace corvath::cli
