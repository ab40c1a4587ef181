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

} // namespace corvath::cli
