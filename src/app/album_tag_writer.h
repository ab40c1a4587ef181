#pragma once

#include "audio/threads/message_target.h"
#include "audio/threads/worker.h"
#include "tags/loudness_tags.h"

#include <cstddef>
#include <string>
#include <vector>

namespace corvath {

/// A finished file of a batch that takes the album's loudness tags; item is its place in the
/// batch (a track, an input).
struct AlbumTagTarget {
    std::size_t item = 0;
    std::string path;
    LoudnessTagFormat format{};
};

/// Posted as kMsgAlbumTags once every file was tried: the files that could not take the tags.
struct AlbumTagsWritten : MessagePayload {
    struct Failure {
        std::size_t item = 0;
        std::string reason;
    };
    std::vector<Failure> failures;
};

/// Adds the album's loudness to finished files on a thread of its own, since rewriting a file's
/// tags may take as long as copying it. Runs on a Worker: destruction stops it before the next
/// file, never waits for the one under way, and nothing is posted after it.
class AlbumTagWriter {
public:
    /// Starts at once.
    AlbumTagWriter(std::vector<AlbumTagTarget> files, Loudness album, MessageTarget& target);

private:
    Worker worker_;
};

} // namespace corvath
