#pragma once

#include "app/disc_info_store.h"
#include "lookup/release_details.h"
#include "tags/track_record.h"

#include <string>

namespace corvath {

/// A track of a disc as the rip sees it: its row in the track list (0 for the disc's first
/// track), title and number, and how many tracks the disc holds.
struct DiscTrack {
    int row = 0;
    std::string title;
    int number = 0;
    int total = 0;
};

/// The record of a ripped track: its title and numbers, the disc fields as shown (the disc's
/// place in a set when it is one; the artist being the album artist wherever the release names a
/// track's own artist, or a release was applied at all), and what the release tells of the disc and
/// the track.
TrackRecord RippedTrackRecord(const DiscTrack& track, const TDiscFields& disc,
                              const ReleaseDetails& release);

/// The record of a converted file: the input's own tags first, the disc fields filling only what
/// they lack. An input without a title is titled by its file name without the extension.
TrackRecord ConvertedTrackRecord(TrackRecord own, const TDiscFields& disc,
                                 const std::string& inputPath);

} // namespace corvath
