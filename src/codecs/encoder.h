#pragma once

#include "audio/model/au_file_out.h"
#include "audio/model/component.h"
#include "tags/track_record.h"

#include <functional>

namespace corvath {

/// The output of a format with what readies it for each file.
struct Encoder {
    Owned<TAuFileOut> sink;
    /// Sets the output up from the settings it was made with and the track the next file holds.
    /// Main thread, output idle, once per file.
    std::function<void(const TrackRecord& track)> setup;
};

} // namespace corvath
