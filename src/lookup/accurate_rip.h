#pragma once

#include "platform/cdrom/cd_records.h"
#include "platform/cdrom/disc_id.h"
#include "platform/net/http_get.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace corvath {

/// How the AccurateRip database knows a disc: the count of its audio tracks, two sums over
/// their start sectors and the lead-out, and the freedb identifier.
struct AccurateRipDisc {
    uint32_t audioTracks = 0;
    uint32_t id1 = 0;
    uint32_t id2 = 0;
    uint32_t freedbId = 0;
};

/// The identifiers of a disc whose tracks start at disc.trackStarts (frames with the lead-in);
/// audio[k] tells whether track k holds audio. Only audio tracks are summed, but the lead-out
/// is the disc's: on an enhanced CD, the data session's. The freedb identifier counts every
/// track. Track numbers count from 1 at the disc's first track.
AccurateRipDisc AccurateRipDiscOf(const DiscFrames& disc, const std::vector<bool>& audio);
/// The same from a TOC read with MSF addresses.
AccurateRipDisc AccurateRipDiscOf(const CdToc& toc);

/// Where the database keeps the disc's checksums, below its root:
/// "a/9/8/dBAR-004-0002189a-00087f33-1f02e004.bin".
std::string AccurateRipPath(const AccurateRipDisc& disc);

/// One rip submitted to the database: per track, how many agreed and the checksum.
struct AccurateRipSubmission {
    struct Track {
        uint8_t confidence = 0;
        uint32_t checksum = 0;
    };
    std::vector<Track> tracks;
};

/// The submissions of a database file; nothing when the bytes are no such file (an HTML page
/// sent for a missing disc, a cut answer) or hold another disc than the one asked for.
std::optional<std::vector<AccurateRipSubmission>>
ParseAccurateRipAnswer(std::span<const uint8_t> answer, const AccurateRipDisc& disc);

/// What asking the database for a disc gave.
struct AccurateRipLookup {
    enum class Outcome { Found, NotInDatabase, Failed };
    Outcome outcome = Outcome::Failed;
    std::vector<AccurateRipSubmission> submissions; ///< when found
    std::string failure;                            ///< why it failed, for the user
};

/// Asks the database below root ("http://www.accuraterip.com/accuraterip") for the disc: one
/// blocking request. A 404, or a page that is no database file (some servers answer a missing
/// disc with HTML), is "not in the database"; no answer or another status is a failed lookup.
AccurateRipLookup LookUpAccurateRip(const std::string& root, const AccurateRipDisc& disc,
                                    const HttpGetOptions& http);

/// What the database says of one ripped track.
struct AccurateRipVerdict {
    enum class Kind { Accurate, NotAccurate };
    Kind kind = Kind::NotAccurate;
    uint32_t confidence = 0; ///< of the best matching submission, when accurate
    int version = 0;         ///< 1 or 2: the checksum that matched, when accurate
};

/// The verdict on track index (0 for the disc's first audio track) with its v1 and v2
/// checksums: accurate when either matches a submission's checksum for that track, with the
/// highest confidence among the matches. An entry of confidence 0 (the padding of a track
/// nobody submitted) never matches; a track matching nothing else is not accurate, since the
/// disc is in the database.
AccurateRipVerdict JudgeTrack(const std::vector<AccurateRipSubmission>& submissions,
                              std::size_t index, uint32_t v1, uint32_t v2);

} // namespace corvath
