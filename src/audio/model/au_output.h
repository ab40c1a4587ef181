#pragma once

#include "audio/model/au_input.h"
#include "audio/model/component.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace corvath {

class TAuThread;
class TEventHandler;

/// A sink: it owns a worker thread that pulls PCM from its Input and writes or encodes it.
///
/// Threads: Start, StopOutput, the setters and the handlers belong to the main thread.
/// PrepareOutput, WriteStep, FinishOutput and AbortOutput run on the worker. OnProgress and
/// OnDone reach the main thread through the process's event thread, OnDone only once the worker
/// is idle again (so OnDone may call Start); OnThreadException is run there by the worker itself.
/// A run that fails leaves its message in LastError and still ends with OnDone.
///
/// A derived constructor that throws leaves nothing registered; it must not start a run.
class TAuOutput : public TComponent {
public:
    using Event = std::function<void(TAuOutput* sender)>;

    explicit TAuOutput(TComponent* owner = nullptr);
    ~TAuOutput() override;

    /// Starts a run on the worker and returns at once; the sink is busy from here on. Raises
    /// "Component is Busy" (also while the worker still ends the last run) or "Input is not
    /// assigned" (EAuException), changing nothing.
    void Start();

    /// Asks the run to end after its current step, or right after preparing when it comes
    /// before the first one. async: the run finishes its file and OnDone
    /// follows. Otherwise waits until the worker is idle (serving the main thread's waiting calls
    /// meanwhile), and no OnDone of this run follows.
    void StopOutput(bool async);

    /// The input's progress, 0 to 100; -1 when its size is unknown; 0 without an input.
    int32_t PercentDone() const;

    TAuInput* Input() const { return input_; }
    /// While a run is on, the run is stopped (without OnDone), the input replaced and the run
    /// started again.
    virtual void SetInput(TAuInput* input);

    /// Milliseconds the worker sleeps before each step when above 5; values above 100 are
    /// ignored.
    int32_t IdleSleepMs() const;
    void SetIdleSleepMs(int32_t ms);

    /// How long the worker waits after a run before it posts OnDone; 300 ms unless changed.
    /// The windows rely on that pause, a command line run needs none. A new sink takes the
    /// process-wide default: set it before the first sink is made. Any thread.
    static void SetDefaultDoneDelay(std::chrono::milliseconds delay);
    std::chrono::milliseconds DoneDelay() const { return doneDelay_; }
    void SetDoneDelay(std::chrono::milliseconds delay) { doneDelay_ = delay; }

    const std::string& LastError() const { return lastError_; }
    bool WasStopped() const { return wasStopped_; }
    bool IsBusy() const { return busy_; }

    void SetOnDone(Event handler);
    void SetOnProgress(Event handler);
    void SetOnThreadException(Event handler) { onThreadException_ = std::move(handler); }

protected:
    /// Opens the target and the input (Input()->BeginRead()) and checks the input's format.
    virtual void PrepareOutput() = 0;
    /// One unit of work: read one block from the input and write it. Returns whether there is
    /// more; returns false at once when abort is true.
    virtual bool WriteStep(bool abort) = 0;
    /// Completes the target (headers, encoder flush, close) and closes the input.
    virtual void FinishOutput() = 0;
    /// After a run that failed: releases what the run holds so that the next run works.
    /// The base closes the input chain; sinks with a target close it too.
    virtual void AbortOutput();
    /// The failure of a run as the user is told it; the base tells it as it came.
    virtual std::string FailureText(const std::string& text) const { return text; }

    bool OutputEnabled() const { return outputEnabled_; }

    /// Property setters refuse changes while a run is on: the old value stays.
    template <typename T> void SetWhileIdle(T& field, T value)
    {
        if (!IsBusy())
            field = value;
    }

    void BeforeDestruction() override;
    void Notification(TComponent* removed) override;

private:
    friend class TAuThread;
    friend class TEventHandler;

    void Unregister();
    void RunCycle(TAuThread& worker);
    void RunSteps(TAuThread& worker);
    /// Called by the worker once it is idle: wakes whoever waits for that.
    void WorkerSuspended();
    void Finish();
    void HandleThreadException(const std::string& failure);
    Event Handler(const Event& handler) const;

    uint64_t Serial() const { return serial_; }
    uint64_t StopEpoch() const { return stopEpoch_; }
    TAuThread& Worker() const { return *worker_; }

    const uint64_t serial_;
    std::atomic<uint64_t> stopEpoch_{0};
    std::atomic<bool> wasStopped_{false};
    std::atomic<bool> outputEnabled_{false};
    std::atomic<bool> busy_{false};
    std::atomic<std::chrono::milliseconds> doneDelay_;
    int32_t lastProgress_ = 0;
    std::string lastError_;
    std::atomic<TAuInput*> input_{nullptr};
    mutable std::mutex handlersLock_;
    Event onDone_;
    Event onProgress_;
    Event onThreadException_;
    std::unique_ptr<TAuThread> worker_;
    std::shared_ptr<TEventHandler> events_; // the event thread this sink registered with
};

} // namespace corvath
