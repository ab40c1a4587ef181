#pragma once

#include "cli/progress_line.h"

#include <ostream>
#include <span>
#include <string>

namespace corvath::cli {

/// corvath-cli convert --to FORMAT [--adpcm] [--artist A] [--album A] [--year Y]
/// [--genre G] [--comment C] [-j N] IN... -o DIR, the encoders set up from the settings file as the
/// program sets them up; the disc fields fill the Ogg Vorbis and FLAC tags.
/// Converts each file through the program's audio chain, as the program's conversion window
/// does: a name already taken by an earlier input gets " (2)", " (3)" ...; a file that fails is
/// reported and the others still go. -j N converts up to N files at once (default: one per
/// processor); the names and the files written are the same as one at a time. DIR is made when
/// missing. Progress is printed in the style given (a file or a pipe gets one line per file);
/// --quiet prints only the failures and the closing count. Returns 0 when every file
/// converted, 1 when any failed or DIR cannot be made, 2 on bad arguments.
int RunConvert(std::span<const std::string> args, std::ostream& out, std::ostream& err,
               ProgressStyle progress = ProgressStyle::Lines);

} // namespace corvath::cli
