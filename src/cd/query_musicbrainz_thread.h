#pragma once

#include "cd/message_target.h"
#include "cd/musicbrainz_lookup.h"
#include "cd/stoppable_lookup.h"

#include <memory>
#include <thread>

namespace corvath {

/// What a MusicBrainz lookup found, carried by kMsgMusicBrainzQuery; the wParam is its outcome.
struct MusicBrainzAnswer : MessagePayload {
    explicit MusicBrainzAnswer(MusicBrainzLookup lookup);
    MusicBrainzLookup lookup;
};

/// Looks a disc up on MusicBrainz and posts kMsgMusicBrainzQuery once, whatever the outcome (an
/// unexpected error such as out of memory is a failure). It changes nothing itself: the
/// receiver decides which release to apply.
///
/// Threads: starts at once on a thread of its own, which owns the state it shares with this
/// object and frees it when it ends; a worker abandoned while its request blocks is cancelled
/// and left to end on its own. The caller keeps the target alive until the message arrives or
/// Abandon() has returned.
class TQueryMusicBrainzThread : public StoppableLookup {
public:
    /// The query's cancel flag is the worker's own; one set by the caller is replaced.
    TQueryMusicBrainzThread(MusicBrainzQuery query, MessageTarget& messages);
    /// Abandons the worker when it still runs; waits for a worker that has posted its message
    /// to end, so nothing of it outlives its owner.
    ~TQueryMusicBrainzThread() override;
    TQueryMusicBrainzThread(const TQueryMusicBrainzThread&) = delete;
    TQueryMusicBrainzThread& operator=(const TQueryMusicBrainzThread&) = delete;

    /// Stop: cancels the request and, once this returns, the worker posts nothing.
    void Abandon() override;

private:
    struct State;
    std::shared_ptr<State> state_;
    std::thread thread_;
};

} // namespace corvath
