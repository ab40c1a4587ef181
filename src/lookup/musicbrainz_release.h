#pragma once

#include "lookup/release_details.h"

#include <string>
#include <vector>

namespace corvath {

/// One release MusicBrainz offers for a disc, with the medium that is the disc.
struct MusicBrainzRelease {
    std::string id; ///< the release's MBID
    std::string title;
    std::string artist; ///< the joined artist credit
    std::string date;   ///< as given: "YYYY", "YYYY-MM" or "YYYY-MM-DD"; may be empty
    int year = 0;       ///< 0 when the date has none
    std::string country;
    std::string label;         ///< of the first label entry
    std::string catalogNumber; ///< of the first label entry
    std::string format;        ///< of the medium, e.g. "CD"
    int trackCount = 0;        ///< of the medium
    int mediumPosition = 0;    ///< 1 for the first disc
    int mediumCount = 0;
    std::vector<std::string> trackTitles; ///< of the medium, in TOC order
    std::vector<std::string> genres;      ///< names, when the answer has them
    /// The album artist, the identifiers, and per track of the medium its own artist (where it
    /// differs from the album's), ISRC and identifiers.
    ReleaseDetails details;
};

/// The releases of a /ws/2/discid answer in JSON. The medium taken from each is the one whose
/// discs include discId, else the first with tocTrackCount tracks (a match by TOC); a release
/// with neither is left out; the disc ID goes into the details only when the medium carries it.
/// Missing or null fields stay empty. Throws std::exception when the
/// text is no JSON or its structure is not that of the answer.
std::vector<MusicBrainzRelease>
ParseMusicBrainzReleases(const std::string& json, const std::string& discId, int tocTrackCount);

} // namespace corvath
