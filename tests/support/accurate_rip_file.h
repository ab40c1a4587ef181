#pragma once

#include "lookup/accurate_rip.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace corvath::test {

/// One rip submitted to the database: per track, its confidence and its checksum.
using AccurateRipSubmitted = std::vector<std::pair<uint8_t, uint32_t>>;

/// What the database pads a file with where nobody submitted a track: confidence 0 and
/// checksum 0 for each of the tracks.
AccurateRipSubmitted AccurateRipPadding(std::size_t tracks);

/// The file the AccurateRip database serves for the disc, holding these submissions.
std::string AccurateRipFile(const AccurateRipDisc& disc,
                            const std::vector<AccurateRipSubmitted>& submissions);

} // namespace corvath::test
