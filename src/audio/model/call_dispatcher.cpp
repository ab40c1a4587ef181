#include "audio/model/call_dispatcher.h"

#include <atomic>
#include <exception>

namespace corvath {

namespace {

std::atomic<MainThread*> installed{nullptr};

} // namespace

MainThread& MainThread::Current()
{
    if (MainThread* main = installed.load())
        return *main;
    static CallDispatcher fallback;
    return fallback;
}

void MainThread::Install(MainThread* main)
{
    installed.store(main);
}

CallDispatcher::CallDispatcher() : owner_(std::this_thread::get_id()) {}

bool CallDispatcher::IsCurrentThread() const
{
    return std::this_thread::get_id() == owner_;
}

void CallDispatcher::Enqueue(Pending pending)
{
    {
        std::lock_guard lock(mutex_);
        waiting_.push_back(std::move(pending));
    }
    arrived_.notify_all();
    if (wakeUp_)
        wakeUp_();
}

void CallDispatcher::InvokeSync(std::function<void()> fn)
{
    if (IsCurrentThread()) {
        fn();
        return;
    }
    Call call{std::move(fn), false, nullptr};
    Enqueue({&call, {}});
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return call.done; });
    if (call.failure)
        std::rethrow_exception(call.failure);
}

void CallDispatcher::Post(std::function<void()> fn)
{
    Enqueue({nullptr, std::move(fn)});
}

void CallDispatcher::ProcessPending()
{
    std::unique_lock lock(mutex_);
    while (!waiting_.empty()) {
        Pending pending = std::move(waiting_.front());
        waiting_.pop_front();
        lock.unlock();
        if (pending.waiting == nullptr) {
            try {
                pending.posted();
            } catch (...) {
                // Nobody waits for a posted call: its failure has nowhere to go.
            }
            lock.lock();
            continue;
        }
        Call* call = pending.waiting;
        try {
            call->fn();
        } catch (...) {
            // The caller waits for its call to be done: a throw must not leave it waiting.
            call->failure = std::current_exception();
        }
        lock.lock();
        call->done = true;
        finished_.notify_all();
    }
}

bool CallDispatcher::WaitAndProcess(std::chrono::milliseconds timeout)
{
    {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, timeout, [&] { return !waiting_.empty() || woken_; });
        woken_ = false;
        if (waiting_.empty())
            return false;
    }
    ProcessPending();
    return true;
}

void CallDispatcher::Wake()
{
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    arrived_.notify_all();
}

} // namespace corvath
