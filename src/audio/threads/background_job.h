#pragma once

#include "audio/threads/message_target.h"
#include "audio/threads/stoppable_lookup.h"
#include "audio/threads/worker.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <stop_token>

namespace corvath {

/// The one message a background job posts when it ends.
struct JobMessage {
    uint32_t message = 0;
    intptr_t wParam = 0;
    std::unique_ptr<MessagePayload> payload;
};

/// Runs one piece of work on a Worker and posts the message it returns; work that throws (out
/// of memory and the like) posts what failed makes of the error instead, since the receiver
/// must still learn that the work ended.
///
/// Threads: starts at once. The caller keeps the target alive until the message arrives or
/// Abandon() has returned; destruction abandons and never waits.
class BackgroundJob : public StoppableLookup {
public:
    /// Runs on the worker; the stop is asked for once the job is abandoned.
    using Work = std::function<JobMessage(std::stop_token stop)>;
    using Failed = std::function<JobMessage(const std::exception& error)>;

    BackgroundJob(Work work, Failed failed, MessageTarget& messages);

    /// Stops the work and, once this returns, the job posts nothing.
    void Abandon() override;

private:
    Worker worker_;
};

} // namespace corvath
