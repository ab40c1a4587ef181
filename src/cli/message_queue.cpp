#include "cli/message_queue.h"

namespace corvath::cli {

void MessageQueue::Post(uint32_t message, intptr_t wParam, intptr_t lParam,
                        std::unique_ptr<MessagePayload> payload)
{
    {
        const std::lock_guard lock(mutex_);
        messages_.push_back({message, wParam, lParam, std::move(payload)});
    }
    posted_.notify_one();
}

QueuedMessage MessageQueue::Take()
{
    std::unique_lock lock(mutex_);
    posted_.wait(lock, [this] { return !messages_.empty(); });
    QueuedMessage taken = std::move(messages_.front());
    messages_.pop_front();
    return taken;
}

} // namespace corvath::cli
