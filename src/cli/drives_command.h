#pragma once

#include <ostream>
#include <span>
#include <string>

namespace corvath::cli {

/// corvath-cli drives [--image FILE]...: one line per entry of the CD layer's drive list (the
/// machine's drives, then the images given), with its index, vendor and product, and
/// identification. Returns 0, 1 when the list is empty or an image cannot be opened, 2 on bad
/// arguments.
int RunDrives(std::span<const std::string> args, std::ostream& out, std::ostream& err);

/// corvath-cli toc [--drive N | --image FILE] [--json]: the table of contents of the disc in entry
/// N of the drive list (0 when neither option is given) or of a disc image, read with MSF addresses
/// as the program reads it: each track's start, length and kind, the lead-out, the freedb
/// identifier and the Windows disc serial; with --json as TocJson gives it. Returns 0, 1 when the
/// disc cannot be read, 2 on bad arguments.
int RunToc(std::span<const std::string> args, std::ostream& out, std::ostream& err);

} // namespace corvath::cli
