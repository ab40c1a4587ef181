#include "cd/query_musicbrainz_thread.h"

#include <atomic>
#include <exception>
#include <mutex>
#include <utility>

namespace corvath {

MusicBrainzAnswer::MusicBrainzAnswer(MusicBrainzLookup lookup) : lookup(std::move(lookup)) {}

/// What the worker shares with its owner. The message is posted under postMutex: Abandon takes
/// that mutex after setting abandoned, so no message goes out after it.
struct TQueryMusicBrainzThread::State {
    State(MusicBrainzQuery query, MessageTarget& messages)
        : query(std::move(query)), messages(messages)
    {
        this->query.http.cancel = &abandoned;
    }

    void Post(MusicBrainzLookup lookup)
    {
        // From here on the thread only ends, so an owner that has the message joins it.
        finished = true;
        const std::lock_guard lock(postMutex);
        if (abandoned)
            return;
        const auto outcome = static_cast<intptr_t>(lookup.outcome);
        messages.Post(kMsgMusicBrainzQuery, outcome, 0,
                      std::make_unique<MusicBrainzAnswer>(std::move(lookup)));
    }

    MusicBrainzQuery query;
    MessageTarget& messages;
    std::atomic<bool> abandoned{false}; // also the request's cancel flag
    std::atomic<bool> finished{false};
    std::mutex postMutex;
};

TQueryMusicBrainzThread::TQueryMusicBrainzThread(MusicBrainzQuery query, MessageTarget& messages)
    : state_(std::make_shared<State>(std::move(query), messages))
{
    thread_ = std::thread([state = state_] {
        try {
            state->Post(LookUpMusicBrainz(state->query));
        } catch (const std::exception& error) {
            // The wait window must still learn that the lookup ended.
            MusicBrainzLookup failed;
            failed.outcome = MusicBrainzLookup::Outcome::Failed;
            failed.failure = error.what();
            state->Post(std::move(failed));
        }
        state->finished = true;
    });
}

TQueryMusicBrainzThread::~TQueryMusicBrainzThread()
{
    Abandon();
    // Joining a worker still in its request (or in the pause between requests) would make Stop
    // wait for it.
    if (state_->finished)
        thread_.join();
    else
        thread_.detach();
}

void TQueryMusicBrainzThread::Abandon()
{
    state_->abandoned = true;
    // Posting never blocks, so a post in progress ends soon.
    const std::lock_guard lock(state_->postMutex);
}

} // namespace corvath
