#include "support/text_messages.h"

namespace corvath::test {

void TextQueue::Post(uint32_t message, intptr_t wParam, intptr_t,
                     std::unique_ptr<MessagePayload> payload)
{
    const std::lock_guard lock(mutex_);
    const auto* text = dynamic_cast<const TextPayload*>(payload.get());
    texts_.push_back(std::to_string(message) + "/" + std::to_string(wParam) + ": " +
                     (text ? text->text : "?"));
    posted_.notify_all();
}

std::vector<std::string> TextQueue::WaitFor(std::size_t count, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    posted_.wait_for(lock, timeout, [&] { return texts_.size() >= count; });
    return texts_;
}

} // namespace corvath::test
