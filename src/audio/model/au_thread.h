#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace corvath {

class TAuOutput;

/// The worker of one sink. It starts suspended; each Resume runs one cycle of the sink (prepare,
/// write steps, finish, done event) and the worker then suspends itself again.
class TAuThread {
public:
    explicit TAuThread(TAuOutput& sink);
    /// Terminates and joins the thread.
    ~TAuThread();
    TAuThread(const TAuThread&) = delete;
    TAuThread& operator=(const TAuThread&) = delete;

    /// Wakes a suspended worker for one cycle; false (and nothing done) while a cycle runs.
    bool Resume();
    bool IsSuspended() const;

    // Set by one thread and polled by another.
    std::atomic<bool> notifyDone{true};
    std::atomic<bool> cycleFinished{false};
    std::atomic<bool> stopRequest{false};
    std::atomic<int32_t> idleSleepMs{0};

private:
    void Execute();

    TAuOutput& sink_;
    mutable std::mutex mutex_;
    std::condition_variable resumed_;
    bool suspended_ = true;
    bool terminated_ = false;
    std::thread thread_;
};

} // namespace corvath
