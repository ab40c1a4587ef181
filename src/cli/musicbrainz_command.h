#pragma once

#include <ostream>
#include <span>
#include <string>

namespace corvath::cli {

/// corvath-cli musicbrainz [--drive N | --image FILE] [--server URL] [--release N] [--json]: looks
/// the disc up on the MusicBrainz server of the settings (or URL) and lists the releases found,
/// numbered (with --json as ReleasesJson gives them, and nothing more); with --release, stores that
/// release's fields and titles in the disc information file as the program would, for the program
/// and `rip` to use. Returns 0 when releases were found (and the chosen one stored), 1 for none, a
/// failed lookup or an unreadable disc, 2 on bad arguments or a release number out of the list.
int RunMusicBrainz(std::span<const std::string> args, std::ostream& out, std::ostream& err);

} // namespace corvath::cli
