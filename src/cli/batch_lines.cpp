#include "cli/batch_lines.h"

#include "audio/model/call_dispatcher.h"

#include <chrono>
#include <utility>

namespace corvath::cli {

bool BatchLines::RunToEnd(CallDispatcher& mainThread)
{
    while (!over_) {
        if (next_)
            std::exchange(next_, nullptr)();
        else
            mainThread.WaitAndProcess(std::chrono::seconds(1));
    }
    return !failed_;
}

void BatchLines::StartLine(std::string label)
{
    EndLine();
    line_.emplace(out_, std::move(label));
}

void BatchLines::ShowPercent(int percent)
{
    if (line_)
        line_->Show(percent);
}

void BatchLines::EndLine(const std::string& result)
{
    if (line_)
        line_->End(result);
    line_.reset();
    for (const std::string& text : std::exchange(betweenLines_, {}))
        out_ << text << '\n';
}

void BatchLines::PrintBetweenLines(std::string text)
{
    betweenLines_.push_back(std::move(text));
    if (!line_)
        EndLine();
}

} // namespace corvath::cli
