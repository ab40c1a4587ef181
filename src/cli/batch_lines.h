#pragma once

#include "cli/progress_line.h"

#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace corvath {
class CallDispatcher;
class StopSignals;
} // namespace corvath

namespace corvath::cli {

/// How a batch prints: its progress style, and whether it is quiet: then only what failed and
/// the summary are printed.
struct BatchStyle {
    ProgressStyle progress = ProgressStyle::Lines;
    bool quiet = false;
};

/// The terminal side of a batch: the progress line of the step under way, failures on the
/// error stream, and the loop that runs the batch to its end.
class BatchLines {
public:
    BatchLines(std::ostream& out, std::ostream& err, BatchStyle style)
        : out_(style.quiet ? discarded_ : out), err_(err), summaryOut_(out),
          progressStyle_(style.progress)
    {
    }

    /// Runs the batch's messages, events and pauses until it is over, or until one of the stop
    /// signals comes, which runs stop; the exit status: 0 when nothing failed, 1 when something
    /// did, 128 plus the signal's number, as shells expect, when stopped.
    int RunToEnd(CallDispatcher& mainThread, const StopSignals& signals,
                 const std::function<void()>& stop);

protected:
    /// Ends the line under way and starts one for label.
    void StartLine(std::string label);
    void ShowPercent(int percent);
    /// Ends the line under way, if any: with the result when there is one.
    void EndLine(const std::string& result = {});
    bool LineUnderWay() const { return line_.has_value(); }
    /// Prints text as a line of its own once the line under way has ended; at once when none is.
    void PrintBetweenLines(std::string text);
    /// Nothing here holds a file open for long: the next steps may go at once, in turn.
    void RunNext(std::function<void()> then) { next_.push_back(std::move(then)); }
    void MarkFailed() { failed_ = true; }
    void MarkOver()
    {
        EndLine();
        over_ = true;
    }

private:
    // What a quiet batch does not print; made before out_, which may refer to it.
    std::ostream discarded_{nullptr};

protected:
    std::ostream& out_; ///< progress and what went well
    std::ostream& err_;
    std::ostream& summaryOut_; ///< the summary line, which a quiet batch prints too

private:
    ProgressStyle progressStyle_;
    std::optional<ProgressLine> line_;
    std::vector<std::string> betweenLines_;
    std::deque<std::function<void()>> next_;
    bool over_ = false;
    bool failed_ = false;
};

} // namespace corvath::cli
