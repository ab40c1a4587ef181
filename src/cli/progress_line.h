#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace corvath::cli {

/// One file's progress, rewritten in place on one terminal line. The label and the result are
/// printed as TerminalText.
class ProgressLine {
public:
    ProgressLine(std::ostream& out, std::string_view label);

    /// Shows percent unless it is negative or already shown.
    void Show(int percent);
    /// Ends the line: with the result when there is one, else just the line break.
    void End(const std::string& result);

private:
    std::ostream& out_;
    std::string label_;
    int shown_ = -1;
};

} // namespace corvath::cli
