#pragma once

#include "cli/progress_line.h"

#include <ostream>
#include <span>
#include <string>

namespace corvath::cli {

/// corvath-cli rip [--drive N | --image FILE] [--tracks 1,3-5] [--format FORMAT]
/// [--artist A] [--album A] [--year Y] [--genre G] [--comment C]: rips the selected tracks (all
/// when none are given) of the disc in drive N of the drive list (the settings' drive when no
/// option names one) or of a disc image, one after another, each into "<title>.wav" in the
/// settings' output folder, with the titles stored for the disc ("TrackNN" when empty); then,
/// unless the format is WAV, encodes it as the settings say, tags MP3 files with ID3v1 and
/// deletes the WAV unless the settings keep it. The disc fields are the stored ones, replaced
/// by the options given. A track that fails is reported and the others still go. Progress is
/// printed in the style given; --quiet prints only the failures and the summary. Returns 0
/// when every track was ripped, 1 when any failed or the disc cannot be read, 2 on bad
/// arguments.
int RunRip(std::span<const std::string> args, std::ostream& out, std::ostream& err,
           ProgressStyle progress = ProgressStyle::Lines);

} // namespace corvath::cli
