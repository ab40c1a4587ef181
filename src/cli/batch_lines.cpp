#include "cli/batch_lines.h"

#include "audio/model/call_dispatcher.h"
#include "platform/process/stop_signals.h"

#include <chrono>
#include <utility>

namespace corvath::cli {

int BatchLines::RunToEnd(CallDispatcher& mainThread, const StopSignals& signals,
                         const std::function<void()>& stop)
{
    using namespace std::chrono_literals;
    while (!over_) {
        if (const int signal = signals.Take(); signal != 0) {
            stop();
            EndLine();
            err_ << "Stopped: what was not finished is left as .part files.\n";
            return 128 + signal;
        }
        if (!next_.empty()) {
            const std::function<void()> step = std::move(next_.front());
            next_.pop_front();
            step();
        } else
            mainThread.WaitAndProcess(100ms); // a signal wakes no one: look for it often
    }
    return failed_ ? 1 : 0;
}

void BatchLines::StartLine(std::string label)
{
    EndLine();
    line_.emplace(out_, std::move(label), progressStyle_);
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
