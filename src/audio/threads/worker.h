#pragma once

#include "audio/threads/message_target.h"

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <stop_token>
#include <thread>

namespace corvath {

/// The one kind of thread the engine runs its work on. The body gets a stop token, which every
/// wait, read and request of the work honours, and a message target that forwards to the
/// owner's until the owner lets go of the worker. What the body throws reaches failed, which
/// tells the receiver with the error's reason: no worker ends without saying so.
///
/// Threads: starts at once. Stop and Abandon may be called from any thread and never wait.
/// Destruction never waits for a body still running either: it abandons the worker, whose body
/// then ends on its own (its captures must own what it uses, beyond the target) and is joined
/// by WaitForLeftWorkers at the program's end.
class Worker {
public:
    using Body = std::function<void(std::stop_token stop, MessageTarget& target)>;
    /// Runs on the worker after body threw; what it throws in turn is dropped.
    using Failed = std::function<void(const std::exception& error, MessageTarget& target)>;

    /// The target must stay alive until the last message arrives, or Abandon has returned.
    Worker(MessageTarget& target, Body body, Failed failed);
    /// Abandons; joins a worker whose body has returned, leaves one that has not.
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    /// Asks the body to end; its messages still arrive, its last one saying how it ended.
    void Stop();
    /// Stops, and once this returns nothing more reaches the target.
    void Abandon();
    /// The body has returned.
    bool Ended() const;

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::jthread thread_;
};

/// Waits until the workers left running by their owners have ended, at most for bound: the end
/// of main, so that no worker still runs while the program's statics go. True when none is left.
bool WaitForLeftWorkers(std::chrono::milliseconds bound);

/// What main waits at most for left workers; their requests end within about a second.
inline constexpr std::chrono::milliseconds kLeftWorkersBound{3000};

/// Waits for left workers, at most kLeftWorkersBound, as its scope in main ends.
class LeftWorkersWait {
public:
    LeftWorkersWait() = default;
    ~LeftWorkersWait() { WaitForLeftWorkers(kLeftWorkersBound); }
    LeftWorkersWait(const LeftWorkersWait&) = delete;
    LeftWorkersWait& operator=(const LeftWorkersWait&) = delete;
};

} // namespace corvath
