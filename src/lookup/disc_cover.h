#pragma once

#include "audio/threads/background_job.h"
#include "lookup/cover_cache.h"
#include "platform/net/http_get.h"

#include <memory>
#include <optional>
#include <string>

namespace corvath {

/// A disc's cover as the cache has it after a job, carried by kMsgDiscCover.
struct DiscCover : MessagePayload {
    std::string discKey;
    std::optional<CachedCover> cover; ///< none: the disc has no cover
    /// A download that failed or could not be kept: why, in words for the user. The cache is
    /// then as it was and cover is unset.
    std::string failure;
};

/// Downloads the release's front cover from the Cover Art Archive at server and keeps it as
/// the disc's cover; a release without one drops the cover the disc had. Blocks.
DiscCover DownloadDiscCover(const std::string& discKey, const std::string& server,
                            const std::string& mbid, const HttpGetOptions& http);

/// Reads the disc's cover from the cache on a job of its own.
std::unique_ptr<BackgroundJob> StartCoverLoad(std::string discKey, MessageTarget& messages);

/// DownloadDiscCover on a job of its own; stopping it cancels the download.
std::unique_ptr<BackgroundJob> StartCoverDownload(std::string discKey, std::string server,
                                                  std::string mbid, HttpGetOptions http,
                                                  MessageTarget& messages);

} // namespace corvath
