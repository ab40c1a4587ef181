#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace corvath::cli {

/// How progress is printed: rewritten in place, for a terminal, or as lines that are each
/// printed once, whole, for a file or a pipe.
enum class ProgressStyle { Lines, InPlace };

/// One file's progress on one line. In place, each percent rewrites the line; as lines, only the
/// finished line with its result is printed. The label and the result are printed as
/// TerminalText.
class ProgressLine {
public:
    ProgressLine(std::ostream& out, std::string_view label, ProgressStyle style);

    /// Shows percent unless it is negative or already shown.
    void Show(int percent);
    /// Ends the line: with the result when there is one, else just the line break of a line
    /// drawn in place.
    void End(const std::string& result);

private:
    std::ostream& out_;
    std::string label_;
    ProgressStyle style_;
    int shown_ = -1;
};

} // namespace corvath::cli
