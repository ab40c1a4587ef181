#pragma once

#include "app/disc_info_store.h"
#include "cd/track_checksums.h"
#include "platform/cdrom/cd_records.h"
#include "tags/loudness.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvath {

/// What the AccurateRip database said of a ripped track.
struct TrackVerdict {
    enum class Kind {
        NotChecked,    ///< verification is off, or the track did not rip
        Accurate,      ///< a submission has its checksum
        NotAccurate,   ///< the disc is in the database, the track's checksum is not
        NotInDatabase, ///< nobody submitted the disc
        LookupFailed,  ///< the database could not be asked
    };
    Kind kind = Kind::NotChecked;
    uint32_t confidence = 0; ///< when accurate: how many rips agree
    int version = 0;         ///< when accurate: 1 or 2, the checksum that matched
};

/// The verdict as the user reads it: "accurately ripped (confidence 12)", "not accurate",
/// "not in database", "lookup failed", or "not verified".
std::string VerdictText(const TrackVerdict& verdict);

/// How a rip ended for one track.
struct RippedTrack {
    int32_t number = 0; ///< position in the TOC, 1 for its first entry
    std::string title;
    std::string file; ///< the finished file's name in the output folder; empty when none
    std::optional<TrackChecksumValues> checksums; ///< when the audio was read whole
    TrackVerdict verdict;
    /// Disc sectors (0 = the sector at 00:02:00) that secure reads could not read exactly.
    std::vector<uint32_t> doubtfulSectors;
    std::string failure;              ///< why the track failed; empty when it did not
    bool stopped = false;             ///< the rip was stopped before the track was done
    std::optional<Loudness> loudness; ///< when it was measured on its way to a file
};

/// How many tracks have a failure: failed, or left by a stopped rip.
std::size_t TracksNotRipped(const std::vector<RippedTrack>& tracks);

/// The line that sums a rip up: "All tracks accurately ripped", or which tracks failed, were
/// not ripped as the rip was stopped or are not accurate, and whether the database could tell
/// at all.
std::string RipSummaryLine(const std::vector<RippedTrack>& tracks);

/// Everything a rip's log and cue sheet tell.
struct RipRecord {
    std::string program; ///< name and version
    std::string date;    ///< when the rip started, local time
    std::string drive;   ///< vendor and product, or the image file
    int32_t readOffset = 0;
    bool secureReads = false;
    CdToc toc;
    /// Per TOC entry, its pre-gap's first sector (0 = 00:02:00) where the disc has one.
    std::vector<std::optional<uint32_t>> pregaps;
    CdDiscFacts facts; ///< ISRCs, flags and the catalogue number, where the disc tells them
    TDiscFields disc;
    std::optional<Loudness> album; ///< of the tracks measured, when album gain is asked for
    std::string discId; ///< the freedb identifier in hex, for names when the fields are empty
    std::string lookupFailure; ///< why the AccurateRip database could not be asked, if it could not
    std::vector<RippedTrack> tracks;
    bool stopped = false; ///< the user stopped the rip before its end
};

/// What the disc tells of the track at this TOC position (1 for its first entry); nothing when
/// it tells nothing.
const CdTrackFacts* TrackFactsOf(const RipRecord& record, int32_t number);

/// The text with control characters (line breaks, tabs) as spaces, so that a title stays on
/// its line of a log or cue sheet.
std::string SingleLine(std::string text);

/// A count of sectors as minutes, seconds and frames (75 a second), the frames after
/// frameSeparator: 14400 sectors are "03:12.00" in the log and "03:12:00" in a cue sheet.
std::string SectorTime(uint32_t sectors, char frameSeparator);

} // namespace corvath
