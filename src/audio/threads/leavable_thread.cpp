#include "audio/threads/leavable_thread.h"

#include <utility>

namespace corvath {

LeavableThread::LeavableThread(std::shared_ptr<std::atomic<bool>> finished,
                               std::function<void()> body)
    : finished_(std::move(finished))
{
    thread_ = std::thread([finished = finished_, body = std::move(body)] {
        body();
        *finished = true;
    });
}

LeavableThread::~LeavableThread()
{
    if (*finished_)
        thread_.join();
    else
        thread_.detach();
}

} // namespace corvath
