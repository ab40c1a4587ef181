#include "audio/model/event_handler.h"

#include "audio/model/au_output.h"
#include "audio/model/au_thread.h"
#include "audio/model/main_thread.h"

#include <chrono>
#include <exception>
#include <vector>

namespace corvath {

namespace {

using namespace std::chrono_literals;

std::mutex instanceLock;
std::shared_ptr<TEventHandler> instance;
// Event threads whose last sink was freed by one of their own handlers: they could not be
// joined then, as they were waiting for that handler; each is joined once it has finished.
std::vector<std::shared_ptr<TEventHandler>> retired;
int32_t outputCount = 0;

// Under instanceLock.
void JoinFinishedRetired()
{
    std::erase_if(retired, [](const auto& handler) { return handler->Finished(); });
}

} // namespace

std::shared_ptr<TEventHandler> TEventHandler::AddOutput(TAuOutput* sink)
{
    std::lock_guard lock(instanceLock);
    if (outputCount++ == 0) {
        JoinFinishedRetired();
        instance = std::make_shared<TEventHandler>();
        instance->thread_ = std::thread(&TEventHandler::Run, instance.get());
    }
    std::lock_guard queueLock(instance->mutex_);
    instance->sinks_[sink->Serial()] = sink;
    return instance;
}

void TEventHandler::RemoveOutput(TAuOutput* sink)
{
    std::shared_ptr<TEventHandler> last;
    {
        std::lock_guard lock(instanceLock);
        {
            std::lock_guard queueLock(instance->mutex_);
            instance->sinks_.erase(sink->Serial());
        }
        instance->wakeUp_.notify_all(); // a done event may wait for this sink's worker
        if (--outputCount == 0)
            last = std::move(instance);
    }
    if (!last || last->Stop())
        return;
    std::lock_guard lock(instanceLock);
    retired.push_back(std::move(last));
}

int32_t TEventHandler::OutputCount()
{
    std::lock_guard lock(instanceLock);
    return outputCount;
}

bool TEventHandler::IsRunning()
{
    std::lock_guard lock(instanceLock);
    JoinFinishedRetired();
    return instance != nullptr || !retired.empty();
}

TEventHandler::~TEventHandler()
{
    if (thread_.joinable())
        thread_.join();
}

bool TEventHandler::Stop()
{
    bool insideDelivery = false;
    {
        std::lock_guard lock(mutex_);
        terminated_ = true;
        insideDelivery = delivering_;
    }
    wakeUp_.notify_all();
    if (insideDelivery)
        return false; // the thread waits for the very handler that is calling us
    // The thread may be waiting for the main thread to run a delivery: keep serving it.
    MainThread& main = MainThread::Current();
    while (!finished_)
        main.WaitAndProcess(1s);
    thread_.join();
    return true;
}

void TEventHandler::PostProgress(TAuOutput* sender, Handler handler)
{
    Post(sender, false, std::move(handler));
}

void TEventHandler::PostDone(TAuOutput* sender, Handler handler)
{
    Post(sender, true, std::move(handler));
}

void TEventHandler::Post(TAuOutput* sender, bool done, Handler handler)
{
    {
        std::lock_guard lock(mutex_);
        if (sender->Serial() == blocked_)
            return;
        queue_.push_back({done, sender->Serial(), sender->StopEpoch(), std::move(handler)});
    }
    wakeUp_.notify_all();
}

void TEventHandler::BlockSender(TAuOutput* sender)
{
    std::lock_guard lock(mutex_);
    blocked_ = sender->Serial();
}

void TEventHandler::UnblockSender()
{
    std::lock_guard lock(mutex_);
    blocked_ = 0;
}

void TEventHandler::PurgeSender(TAuOutput* sender)
{
    std::lock_guard lock(mutex_);
    std::erase_if(queue_,
                  [&](const AudioEvent& event) { return event.sender == sender->Serial(); });
}

void TEventHandler::WakeUp()
{
    // Taking the lock orders this after a check of the Run loop that is about to wait.
    {
        std::lock_guard lock(mutex_);
    }
    wakeUp_.notify_all();
}

bool TEventHandler::WorkerIdle(uint64_t sender) const
{
    const auto found = sinks_.find(sender);
    return found == sinks_.end() || found->second->Worker().IsSuspended();
}

void TEventHandler::Run()
{
    while (true) {
        AudioEvent event;
        {
            std::unique_lock lock(mutex_);
            wakeUp_.wait(lock, [this] { return terminated_ || !queue_.empty(); });
            if (terminated_)
                break;
            event = std::move(queue_.front());
            queue_.pop_front();
        }
        if (event.done) {
            std::unique_lock lock(mutex_);
            wakeUp_.wait(lock, [&] { return WorkerIdle(event.sender); });
            std::erase_if(queue_,
                          [&](const AudioEvent& later) { return later.sender == event.sender; });
        }
        MainThread::Current().InvokeSync([&] { Deliver(event); });
    }
    finished_ = true;
    MainThread::Current().Wake(); // Stop waits for this
}

void TEventHandler::Deliver(const AudioEvent& event)
{
    TAuOutput* sink = nullptr;
    {
        std::lock_guard lock(mutex_);
        const auto found = sinks_.find(event.sender);
        if (found == sinks_.end() || event.sender == blocked_ ||
            found->second->StopEpoch() != event.epoch)
            return;
        sink = found->second;
        delivering_ = true;
    }
    try {
        event.handler(sink);
    } catch (...) {
        // A handler's failure must not take the event thread down with it.
    }
    std::lock_guard lock(mutex_);
    delivering_ = false;
}

} // namespace corvath
