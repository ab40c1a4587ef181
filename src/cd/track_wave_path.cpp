#include "cd/track_wave_path.h"

namespace corvath {

std::string TrackWavePath(const std::string& outputFolder, const std::string& title)
{
    return outputFolder + "/" + title + ".wav";
}

} // namespace corvath
