#pragma once

#include <string>

namespace corvath {

/// The file a track is ripped into: "<output folder>/<title>.wav".
std::string TrackWavePath(const std::string& outputFolder, const std::string& title);

} // namespace corvath
