#pragma once

#include <ostream>
#include <span>
#include <string>

namespace corvath::cli {

/// corvath-cli cddb [--drive N | --image FILE] [--server HOST] [--script PATH]: looks the disc in
/// drive N of the drive list (the settings' drive when no option names one) or in a disc image
/// up on the CDDB server of the settings, the options replacing the server and script, through
/// the program's CDDB worker, and prints the disc fields and track titles the program would
/// apply. Returns 0 when an entry was found, 1 for no match, a failed query or an unreadable
/// disc, 2 on bad arguments.
int RunCddb(std::span<const std::string> args, std::ostream& out, std::ostream& err);

} // namespace corvath::cli
