#include "audio/model/au_thread.h"

#include "audio/model/au_output.h"

namespace corvath {

TAuThread::TAuThread(TAuOutput& sink) : sink_(sink), thread_([this] { Execute(); }) {}

TAuThread::~TAuThread()
{
    {
        std::lock_guard lock(mutex_);
        terminated_ = true;
    }
    resumed_.notify_all();
    thread_.join();
}

bool TAuThread::Resume()
{
    {
        std::lock_guard lock(mutex_);
        if (!suspended_)
            return false;
        suspended_ = false;
    }
    resumed_.notify_all();
    return true;
}

bool TAuThread::IsSuspended() const
{
    std::lock_guard lock(mutex_);
    return suspended_;
}

void TAuThread::Execute()
{
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            resumed_.wait(lock, [this] { return !suspended_ || terminated_; });
            if (terminated_)
                return;
        }
        sink_.RunCycle(*this);
        {
            // Both under the lock: a Resume that follows sees an idle worker, and a stop of the
            // next cycle cannot be overtaken by this cycle's end.
            std::lock_guard lock(mutex_);
            cycleFinished = true;
            if (terminated_)
                return;
            suspended_ = true;
        }
        sink_.WorkerSuspended();
    }
}

} // namespace corvath
