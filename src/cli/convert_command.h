#pragma once

#include <ostream>
#include <span>
#include <string>

namespace corvath::cli {

/// corvath-cli convert --to wav [--rate N] [--bits 8|16|24] [--channels 1|2] [--adpcm] IN... -o DIR
/// Converts each file through the program's audio chain; a file that fails is reported and the
/// others still go. Returns 0 when every file converted, 1 when any failed, 2 on bad arguments.
int RunConvert(std::span<const std::string> args, std::ostream& out, std::ostream& err);

} // namespace corvath::cli
