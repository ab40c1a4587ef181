#pragma once

#include <string>

namespace corvath::cli {

/// The output formats' command-line names as a usage line lists them: "mp3|wav|ogg|...".
std::string FormatChoices();

} // namespace corvath::cli
