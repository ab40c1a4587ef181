#pragma once

#include "audio/model/main_thread.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace corvath {

/// A main thread whose waiting calls are run when it asks: by ProcessPending, or by
/// WaitAndProcess in a loop that has nothing else to do (the command-line program, tests).
/// A window toolkit drives it by calling ProcessPending when the wake-up hook fires.
class CallDispatcher : public MainThread {
public:
    /// The thread that constructs the dispatcher is its main thread.
    CallDispatcher();

    /// An exception of fn is raised again on the calling thread, once the call is done.
    void InvokeSync(std::function<void()> fn) override;
    void Post(std::function<void()> fn) override;
    void ProcessPending() override;
    bool IsCurrentThread() const override;

    bool WaitAndProcess(std::chrono::milliseconds timeout) override;
    void Wake() override;

    /// Called (on the calling thread, without the lock) each time a call starts waiting or is
    /// posted; lets a message loop wake up and call ProcessPending. Set before any worker runs.
    void SetWakeUp(std::function<void()> wakeUp) { wakeUp_ = std::move(wakeUp); }

private:
    struct Call {
        std::function<void()> fn;
        bool done = false;
        std::exception_ptr failure;
    };
    /// A queued call: a synchronised one, whose caller waits, or a posted one.
    struct Pending {
        Call* waiting = nullptr;
        std::function<void()> posted;
    };

    void Enqueue(Pending pending);

    std::thread::id owner_;
    std::function<void()> wakeUp_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::condition_variable finished_;
    std::deque<Pending> waiting_;
    bool woken_ = false;
};

/// A CallDispatcher installed as the process's main thread while it lives (the command-line
/// program, tests, benchmarks). Construct it on the thread that is to be the main thread.
class ScopedMainThread {
public:
    ScopedMainThread() { MainThread::Install(&dispatcher_); }
    ~ScopedMainThread() { MainThread::Install(nullptr); }
    ScopedMainThread(const ScopedMainThread&) = delete;
    ScopedMainThread& operator=(const ScopedMainThread&) = delete;

    CallDispatcher& Dispatcher() { return dispatcher_; }

private:
    CallDispatcher dispatcher_;
};

} // namespace corvath
