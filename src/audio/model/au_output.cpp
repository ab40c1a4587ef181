#include "audio/model/au_output.h"

#include "audio/model/au_exception.h"
#include "audio/model/au_thread.h"
#include "audio/model/event_handler.h"
#include "audio/model/main_thread.h"

#include <chrono>
#include <cmath>
#include <exception>
#include <thread>

namespace corvath {

namespace {

using namespace std::chrono_literals;

std::atomic<std::chrono::milliseconds> defaultDoneDelay{300ms};

uint64_t NextSerial()
{
    static std::atomic<uint64_t> last{0};
    return ++last;
}

} // namespace

TAuOutput::TAuOutput(TComponent* owner)
    : TComponent(owner), serial_(NextSerial()), doneDelay_(defaultDoneDelay.load())
{
    MainThread::Current(); // binds the default main thread to the thread that builds sinks
    worker_ = std::make_unique<TAuThread>(*this);
    events_ = TEventHandler::AddOutput(this);
}

TAuOutput::~TAuOutput()
{
    // Free() did not run: a derived constructor threw. Its worker never ran a cycle.
    if (worker_)
        Unregister();
}

void TAuOutput::BeforeDestruction()
{
    StopOutput(false);
    Unregister();
    TComponent::BeforeDestruction();
}

void TAuOutput::Unregister()
{
    TEventHandler::RemoveOutput(this);
    worker_.reset();
    events_.reset();
}

void TAuOutput::Start()
{
    lastError_.clear();
    if (busy_)
        throw EAuException("Component is Busy");
    if (input_ == nullptr)
        throw EAuException("Input is not assigned");
    // Busy before the worker wakes: from here on the setters leave what PrepareOutput reads
    // alone. A stop asked for from now on belongs to this run.
    busy_ = true;
    wasStopped_ = false;
    worker_->stopRequest = false;
    if (!worker_->Resume()) {
        // The worker still ends its last run (its done event is on the way).
        busy_ = false;
        throw EAuException("Component is Busy");
    }
}

void TAuOutput::StopOutput(bool async)
{
    wasStopped_ = true;
    worker_->notifyDone = async;
    worker_->cycleFinished = false;
    worker_->stopRequest = true;
    if (async)
        return;

    events_->BlockSender(this);
    events_->PurgeSender(this);
    MainThread& main = MainThread::Current();
    while (!worker_->IsSuspended() && !worker_->cycleFinished)
        main.WaitAndProcess(1s);
    // Events of the stopped run still on their way are recognised by the old epoch.
    ++stopEpoch_;
    events_->UnblockSender();
    worker_->notifyDone = true;
}

int32_t TAuOutput::PercentDone() const
{
    const TAuInput* input = input_;
    if (input == nullptr)
        return 0;
    const int64_t size = input->Size();
    const auto low = static_cast<uint32_t>(size);
    if (low == 0xFFFFFFFFu)
        return -1;
    if (low == 0)
        return 0;
    const long double ratio = static_cast<long double>(input->Position()) / size * 100;
    return static_cast<int32_t>(std::nearbyint(ratio));
}

void TAuOutput::SetInput(TAuInput* input)
{
    const bool restart = busy_;
    if (restart)
        StopOutput(false);
    RemoveFreeNotification(input_);
    input_ = input;
    FreeNotification(input);
    if (restart && input != nullptr)
        Start();
}

void TAuOutput::Notification(TComponent* removed)
{
    if (removed == input_)
        SetInput(nullptr);
    TComponent::Notification(removed);
}

int32_t TAuOutput::IdleSleepMs() const
{
    return worker_ ? worker_->idleSleepMs.load() : 0;
}

void TAuOutput::SetIdleSleepMs(int32_t ms)
{
    if (worker_ && ms <= 100)
        worker_->idleSleepMs = ms;
}

void TAuOutput::SetDefaultDoneDelay(std::chrono::milliseconds delay)
{
    defaultDoneDelay = delay;
}

void TAuOutput::SetOnDone(Event handler)
{
    std::lock_guard lock(handlersLock_);
    onDone_ = std::move(handler);
}

void TAuOutput::SetOnProgress(Event handler)
{
    std::lock_guard lock(handlersLock_);
    onProgress_ = std::move(handler);
}

TAuOutput::Event TAuOutput::Handler(const Event& handler) const
{
    std::lock_guard lock(handlersLock_);
    return handler;
}

void TAuOutput::AbortOutput()
{
    if (TAuInput* input = input_)
        input->ForceClose();
}

void TAuOutput::RunCycle(TAuThread& worker)
{
    RunSteps(worker);
    if (busy_)
        Finish();
    if (worker.notifyDone) {
        if (Event onDone = Handler(onDone_)) {
            const std::chrono::milliseconds delay = doneDelay_;
            if (delay > 0ms)
                std::this_thread::sleep_for(delay);
            events_->PostDone(this, std::move(onDone));
        }
    }
}

void TAuOutput::WorkerSuspended()
{
    events_->WakeUp();
    MainThread::Current().Wake();
}

void TAuOutput::RunSteps(TAuThread& worker)
{
    try {
        PrepareOutput();
        outputEnabled_ = true;
        for (bool more = true; more && !worker.stopRequest;) {
            const int32_t sleep = worker.idleSleepMs;
            if (sleep > 5)
                std::this_thread::sleep_for(std::chrono::milliseconds(sleep));
            const int32_t percent = PercentDone();
            if (percent != lastProgress_) {
                lastProgress_ = percent;
                if (Event onProgress = Handler(onProgress_))
                    events_->PostProgress(this, std::move(onProgress));
            }
            more = WriteStep(worker.stopRequest);
        }
    } catch (const std::exception& error) {
        HandleThreadException(error.what());
    }
}

void TAuOutput::Finish()
{
    outputEnabled_ = false;
    try {
        FinishOutput();
    } catch (const std::exception& error) {
        // A file that cannot be completed is a failed run, not a finished one.
        HandleThreadException(error.what());
    }
    wasStopped_ = false;
    busy_ = false;
}

void TAuOutput::HandleThreadException(const std::string& failure)
{
    const std::string text = FailureText(failure);
    AbortOutput();
    try {
        MainThread::Current().InvokeSync([this, &text] {
            outputEnabled_ = false;
            busy_ = false;
            lastError_ = text;
            if (onThreadException_)
                onThreadException_(this);
        });
    } catch (...) {
        // The handler's own failure has no one to go to; the run still ends and OnDone follows.
    }
}

} // namespace corvath
