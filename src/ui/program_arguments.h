#pragma once

#include <QString>
#include <optional>

namespace corvath::ui {

/// Answers --help and --version on standard output; true when one was asked, and the program
/// then ends. Runs before QApplication, so that neither needs a display.
bool AnswerHelpOrVersion(int argc, char* argv[]);

/// The disc image the command line names, made absolute here; empty when it names none. Nothing
/// when the command line is wrong, which is then told on standard error. Reads
/// QCoreApplication::arguments(), from which QApplication has taken its own options.
std::optional<QString> DiscImageArgument();

} // namespace corvath::ui
