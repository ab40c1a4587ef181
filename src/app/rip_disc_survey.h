#pragma once

#include "audio/threads/message_target.h"
#include "audio/threads/worker.h"
#include "lookup/accurate_rip.h"
#include "platform/cdrom/cd_records.h"
#include "platform/net/http_get.h"
#include "tags/cover_picture.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvath {

/// The disc as a rip needs it before its first track.
struct RipDiscLayout : MessagePayload {
    std::optional<CdToc> toc; ///< with MSF addresses; nothing when the drive gave none
    /// Per TOC entry, its pre-gap's first sector (0 = 00:02:00) where the disc tells it.
    std::vector<std::optional<uint32_t>> pregaps;
    CdDiscFacts facts;                 ///< what the disc tells beyond its TOC, where it tells it
    std::optional<CoverPicture> cover; ///< the disc's cover, when the cache has one
    /// Why the cover could not be put beside the files, or the disc not be surveyed at all.
    std::string problem;
};

/// What the AccurateRip database said of the disc.
struct AccurateRipAnswer : MessagePayload {
    AccurateRipLookup lookup;
};

/// Where the database is and how to reach it; no server: the disc is not looked up.
struct AccurateRipAccess {
    std::string server;
    HttpGetOptions http;
};

/// Learns on its own thread what a rip needs of the disc, since a drive, a file or a server may
/// take its time: reads the TOC and pre-gaps and the disc's cached cover, puts the cover into
/// the output folder, and posts them as kMsgRipDiscLayout; then, when the
/// access names a server and the TOC was read, asks the database for the disc (one request) and
/// posts the answer as kMsgRipAccurateRip. The handle is used only until the layout is posted,
/// so a rip worker may take it over then. Runs on a Worker: destruction stops the request and
/// never waits, and nothing is posted after it.
class RipDiscSurvey {
public:
    /// Starts at once; the handle is borrowed.
    RipDiscSurvey(int32_t cdHandle, AccurateRipAccess access, std::string outputFolder,
                  MessageTarget& target);

private:
    /// The layout is posted: a failure from then on concerns the lookup. The worker's alone.
    std::shared_ptr<bool> laidOut_ = std::make_shared<bool>(false);
    Worker worker_;
};

} // namespace corvath
