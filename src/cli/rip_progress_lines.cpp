#include "cli/rip_progress_lines.h"

#include "app/output_naming.h"
#include "cli/terminal_text.h"

namespace corvath::cli {

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
