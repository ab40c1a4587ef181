#pragma once

#include <string>
#include <vector>

namespace corvath {

/// What a MusicBrainz release tells of a disc beyond its fields and its titles: the album artist,
/// the identifiers, and per track its own artist when it
/// differs from the album's, its ISRC and identifiers. Empty for a disc no release was applied
/// to.
struct ReleaseDetails {
    struct Track {
        std::string artist; ///< only where it differs from the album artist
        std::string artistId;
        std::string recordingId;
        std::string releaseTrackId;
        std::string isrc;

        bool operator==(const Track&) const = default;
    };

    std::string albumArtist;
    std::string albumId;
    std::string releaseGroupId;
    std::string albumArtistId;
    std::string discId;
    std::vector<Track> tracks; ///< in track list order: the disc's first track first

    bool operator==(const ReleaseDetails&) const = default;
    bool Empty() const { return *this == ReleaseDetails{}; }
};

} // namespace corvath
