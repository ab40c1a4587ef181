#include "cli/progress_line.h"

#include <atomic>
#include <chrono>

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

std::string RunToEnd(TAuOutput& sink, CallDispatcher& main, ProgressLine& progress)
{
    std::atomic<bool> done{false};
    sink.SetOnProgress([&](TAuOutput* sender) { progress.Show(sender->PercentDone()); });
    sink.SetOnDone([&](TAuOutput*) { done = true; });
    sink.Start();
    while (!done)
        main.WaitAndProcess(std::chrono::milliseconds(50));
    sink.SetOnProgress(nullptr);
    sink.SetOnDone(nullptr);
    return sink.LastError();
}

} // namespace corvath::cli
