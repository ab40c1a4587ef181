#include "cli/format_choices.h"

#include "codecs/output_format.h"

namespace corvath::cli {

std::string FormatChoices()
{
    std::string choices;
    for (const OutputFormatInfo& format : OutputFormats())
        choices += (choices.empty() ? "" : "|") + std::string(format.extension);
    return choices;
}

std::optional<ReplayGainMode> ReplayGainChoice(std::string_view word)
{
    if (word == "off")
        return ReplayGainMode::Off;
    if (word == "track")
        return ReplayGainMode::Track;
    if (word == "album")
        return ReplayGainMode::Album;
    return std::nullopt;
}

} // namespace corvath::cli
