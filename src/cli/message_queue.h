#pragma once

#include "audio/threads/message_target.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace corvath::cli {

/// A posted message as the receiving thread takes it.
struct QueuedMessage {
    uint32_t message = 0;
    intptr_t wParam = 0;
    intptr_t lParam = 0;
    std::unique_ptr<MessagePayload> payload;
};

/// Workers' messages queued for the thread that waits for them.
class MessageQueue : public MessageTarget {
public:
    void Post(uint32_t message, intptr_t wParam, intptr_t lParam,
              std::unique_ptr<MessagePayload> payload = nullptr) override;

    /// The oldest message; waits until there is one.
    QueuedMessage Take();

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<QueuedMessage> messages_;
};

} // namespace corvath::cli
