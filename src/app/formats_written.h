#pragma once

#include "codecs/output_format.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvath {

/// The formats besides main that a comma-separated list of extensions names ("mp3,opus"), in
/// the order of the format table: names of no format, WAV (the rip's WAV is kept by its own
/// setting) and main itself are left out.
std::vector<OutputFormat> AlsoWrittenFormats(std::string_view extensions, OutputFormat main);

/// The formats' extensions joined by commas, as AlsoWrittenFormats reads them.
std::string ExtensionList(std::span<const OutputFormat> formats);

} // namespace corvath
