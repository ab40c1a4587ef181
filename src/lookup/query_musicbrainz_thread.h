#pragma once

#include "audio/threads/background_job.h"
#include "lookup/musicbrainz_lookup.h"

namespace corvath {

/// What a MusicBrainz lookup found, carried by kMsgMusicBrainzQuery; the wParam is its outcome.
struct MusicBrainzAnswer : MessagePayload {
    explicit MusicBrainzAnswer(MusicBrainzLookup lookup);
    MusicBrainzLookup lookup;
};

/// Looks a disc up on MusicBrainz and posts kMsgMusicBrainzQuery once, whatever the outcome (an
/// unexpected error such as out of memory is a failure). It changes nothing itself: the
/// receiver decides which release to apply. Stopping it cancels the request.
class TQueryMusicBrainzThread : public BackgroundJob {
public:
    /// The query's stop token is the job's own; one set by the caller is replaced.
    TQueryMusicBrainzThread(MusicBrainzQuery query, MessageTarget& messages);
};

} // namespace corvath
