#pragma once

#include "tags/cover_picture.h"

#include <optional>
#include <string>

namespace corvath {

/// The MusicBrainz identifiers of a track and its release, where known: 36-character MBIDs,
/// and the 28-character disc ID.
struct MusicBrainzIds {
    std::string albumId; ///< the release
    std::string releaseGroupId;
    std::string albumArtistId;
    std::string artistId;    ///< the track's first credited artist
    std::string recordingId; ///< what players call the track id
    std::string releaseTrackId;
    std::string discId;

    bool operator==(const MusicBrainzIds&) const = default;
};

/// Everything the file of one track says about it. The engine builds one per ripped track (from
/// the disc's fields, its titles and the release applied to it) and per converted file (from the
/// input's own tags); every output is set up from it. Texts are empty and numbers 0 where unknown.
struct TrackRecord {
    std::string title;
    int trackNumber = 0;
    int trackTotal = 0;
    /// Only for a disc that is part of a set.
    int discNumber = 0;
    int discTotal = 0;
    std::string artist;
    std::string albumArtist;
    std::string album;
    std::string date; ///< "YYYY", "YYYY-MM" or "YYYY-MM-DD", or whatever the user typed
    std::string genre;
    std::string comment;
    std::string isrc;
    MusicBrainzIds musicBrainz;
    std::optional<CoverPicture> cover; ///< the front cover

    bool operator==(const TrackRecord&) const = default;
};

} // namespace corvath
