#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace corvath {

/// A worker thread its owner may leave behind. The body's state is shared with the thread, so
/// a worker still blocked in a request (which Stop must not wait for) is detached and frees its
/// state when it ends. A worker that has said it is done, by setting its finished flag, is
/// joined instead: from then on it only ends, and nothing of it may run past the program's end.
class LeavableThread {
public:
    /// Runs body on a new thread and sets finished when it returns; the body sets it itself
    /// once nothing is left to do but end.
    LeavableThread(std::shared_ptr<std::atomic<bool>> finished, std::function<void()> body);
    /// Joins a finished worker, detaches one that still runs.
    ~LeavableThread();
    LeavableThread(const LeavableThread&) = delete;
    LeavableThread& operator=(const LeavableThread&) = delete;

private:
    std::shared_ptr<std::atomic<bool>> finished_;
    std::thread thread_;
};

} // namespace corvath
