#pragma once

#include "tags/track_record.h"

#include <string>

namespace corvath {

// Placeholder until the TagLib reader lands.
TrackRecord ReadFileTags(const std::string& path);

} // namespace corvath
