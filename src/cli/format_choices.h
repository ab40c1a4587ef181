#pragma once

#include "app/options_setting.h"

#include <optional>
#include <string>
#include <string_view>

namespace corvath::cli {

/// The output formats' command-line names as a usage line lists them: "mp3|wav|ogg|...".
std::string FormatChoices();

/// The mode --replaygain names: "off", "track" or "album"; nothing for any other word.
std::optional<ReplayGainMode> ReplayGainChoice(std::string_view word);

} // namespace corvath::cli
