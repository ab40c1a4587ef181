#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace corvath {

class TAuOutput;

/// The one thread of the process that hands the sinks' progress and done events to the main
/// thread, first in first out. It lives while any sink exists: the first sink made starts it
/// (AddOutput), the last one freed ends it (RemoveOutput).
///
/// A done event is handed over only once the sink's worker has suspended itself, so its
/// handler may start the sink again at once; later events of that sink still queued are
/// dropped. An event reaches its handler only if, at that moment on the main thread, the sink
/// still exists, is not blocked and has not been stopped with StopOutput(false) since the
/// event was posted.
class TEventHandler {
public:
    using Handler = std::function<void(TAuOutput*)>;

    /// Registers a sink (main thread); the first one starts the thread. The sink posts to the
    /// handler returned, which stays valid for as long as the sink holds it.
    static std::shared_ptr<TEventHandler> AddOutput(TAuOutput* sink);
    /// Unregisters a sink (main thread); the last one ends the thread. The sink posts nothing
    /// afterwards.
    static void RemoveOutput(TAuOutput* sink);
    /// Sinks that exist now.
    static int32_t OutputCount();
    /// Whether the event thread runs now.
    static bool IsRunning();

    void PostProgress(TAuOutput* sender, Handler handler);
    void PostDone(TAuOutput* sender, Handler handler);
    /// Events of sender posted from now on are dropped, until UnblockSender.
    void BlockSender(TAuOutput* sender);
    void UnblockSender();
    /// Drops every queued event of sender.
    void PurgeSender(TAuOutput* sender);
    /// A sink's worker has gone idle: a done event that waits for it goes on.
    void WakeUp();

    TEventHandler() = default;
    ~TEventHandler();
    TEventHandler(const TEventHandler&) = delete;
    TEventHandler& operator=(const TEventHandler&) = delete;

    /// The thread has left its loop.
    bool Finished() const { return finished_; }

private:
    struct AudioEvent {
        bool done = false;
        uint64_t sender = 0; // the sink's serial: a freed sink's address may be reused
        uint64_t epoch = 0;
        Handler handler;
    };

    void Run();
    void Post(TAuOutput* sender, bool done, Handler handler);
    bool WorkerIdle(uint64_t sender) const; // under mutex_
    void Deliver(const AudioEvent& event);
    /// Ends the thread and joins it; false when called from one of its own deliveries, where
    /// it cannot be joined yet.
    bool Stop();

    std::mutex mutex_;
    std::condition_variable wakeUp_;
    std::deque<AudioEvent> queue_;
    std::unordered_map<uint64_t, TAuOutput*> sinks_;
    uint64_t blocked_ = 0;
    bool terminated_ = false;
    bool delivering_ = false; // a handler runs on the main thread now
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

} // namespace corvath
