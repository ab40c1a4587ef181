#include "cli/progress_line.h"

#include "cli/terminal_text.h"

namespace corvath::cli {

ProgressLine::ProgressLine(std::ostream& out, std::string_view label)
    : out_(out), label_(TerminalText(label))
{
}

void ProgressLine::Show(int percent)
{
    if (percent < 0 || percent == shown_)
        return;
    shown_ = percent;
    out_ << '\r' << label_ << ": " << percent << '%' << std::flush;
}

void ProgressLine::End(const std::string& result)
{
    if (!result.empty())
        out_ << '\r' << label_ << ": " << TerminalText(result) << '\n';
    else if (shown_ >= 0)
        out_ << '\n';
}

} // namespace corvath::cli
