#include "cli/progress_line.h"

namespace corvath::cli {

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
        out_ << '\r' << label_ << ": " << result << '\n';
    else if (shown_ >= 0)
        out_ << '\n';
}

} // namespace corvath::cli
