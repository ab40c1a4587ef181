#pragma once

#include <chrono>
#include <functional>

namespace corvath {

/// The window thread, as the audio components see it: they run event handlers there through
/// synchronised calls.
class MainThread {
public:
    virtual ~MainThread() = default;

    /// Runs fn on the main thread and returns when it has run. Called on the main thread
    /// itself, fn runs at once. An exception of fn still completes the call and is raised
    /// again on the calling thread; the main thread goes on.
    virtual void InvokeSync(std::function<void()> fn) = 0;

    /// Queues fn to run on the main thread, in order with the synchronised calls, and returns at
    /// once; any thread. An exception of fn is dropped. Calls still queued when the main thread
    /// ends are dropped too.
    virtual void Post(std::function<void()> fn) = 0;

    /// Runs the synchronised calls that are waiting; main thread only. Code that waits on the
    /// main thread for a worker calls this while it waits, so it never deadlocks against a
    /// worker that waits for the main thread.
    virtual void ProcessPending() = 0;

    /// Waits up to timeout for a call to arrive or for Wake, then runs every waiting call.
    /// Returns whether any ran. Main thread only: code that waits there for another thread
    /// loops on it, and the other thread calls Wake when it is done.
    virtual bool WaitAndProcess(std::chrono::milliseconds timeout) = 0;

    /// Ends the main thread's current WaitAndProcess, or else its next one, at once; any thread.
    virtual void Wake() = 0;

    /// True on the main thread.
    virtual bool IsCurrentThread() const = 0;

    /// The main thread of the process: the one installed, else a CallDispatcher bound to the
    /// first thread that asks (the program's or the test's main thread).
    static MainThread& Current();

    /// Makes main the main thread of the process (nullptr goes back to the default). The caller
    /// keeps ownership and must keep it alive while audio components exist.
    static void Install(MainThread* main);
};

} // namespace corvath
