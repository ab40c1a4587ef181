#include "cli/progress_line.h"

#include "cli/terminal_text.h"

namespace corvath::cli {

ProgressLine::ProgressLine(std::ostream& out, std::string_view label, ProgressStyle style)
    : out_(out), label_(TerminalText(label)), style_(style)
{
}

void ProgressLine::Show(int percent)
{
    if (percent < 0 || percent == shown_)
        return;
    shown_ = percent;
    if (style_ == ProgressStyle::InPlace)
        out_ << '\r' << label_ << ": " << percent << '%' << std::flush;
}

void ProgressLine::End(const std::string& result)
{
    const bool inPlace = style_ == ProgressStyle::InPlace;
    if (!result.empty())
        out_ << (inPlace ? "\r" : "") << label_ << ": " << TerminalText(result) << std::endl;
    else if (shown_ >= 0 && inPlace)
        out_ << '\n';
}

} // namespace corvath::cli
