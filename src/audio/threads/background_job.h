#pragma once

#include "audio/threads/leavable_thread.h"
#include "audio/threads/message_target.h"
#include "audio/threads/stoppable_lookup.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

namespace corvath {

/// The one message a background job posts when it ends.
struct JobMessage {
    uint32_t message = 0;
    intptr_t wParam = 0;
    std::unique_ptr<MessagePayload> payload;
};

/// Runs one piece of work on a thread of its own and posts the message it returns; work that
/// throws (out of memory and the like) posts what failed makes of the error instead, since the
/// receiver must still learn that the work ended.
///
/// Threads: starts at once on a LeavableThread, so a job abandoned while its request blocks is
/// cancelled and left to end on its own. The caller keeps the target alive until the message
/// arrives or Abandon() has returned.
class BackgroundJob : public StoppableLookup {
public:
    /// Runs on the worker; cancel is set once the job is abandoned.
    using Work = std::function<JobMessage(const std::atomic<bool>& cancel)>;
    using Failed = std::function<JobMessage(const std::exception& error)>;

    BackgroundJob(Work work, Failed failed, MessageTarget& messages);
    /// Abandons the job when it still runs; waits for a job that has posted its message to
    /// end, so nothing of it outlives its owner.
    ~BackgroundJob() override;
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    /// Cancels the work and, once this returns, the job posts nothing.
    void Abandon() override;

private:
    struct State;
    std::shared_ptr<State> state_;
    LeavableThread thread_;
};

} // namespace corvath
