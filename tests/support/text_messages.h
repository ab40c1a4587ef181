#pragma once

#include "audio/threads/message_target.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace corvath::test {

/// A payload of words, for workers' messages in tests.
struct TextPayload : MessagePayload {
    explicit TextPayload(std::string text) : text(std::move(text)) {}
    std::string text;
};

/// Keeps the messages posted from any thread as "<message>/<wParam>: <text>" ("?" for a payload
/// that is no TextPayload), in order.
class TextQueue : public MessageTarget {
public:
    void Post(uint32_t message, intptr_t wParam, intptr_t lParam,
              std::unique_ptr<MessagePayload> payload) override;

    /// Waits, at most for timeout, until count messages came; what came.
    std::vector<std::string> WaitFor(std::size_t count,
                                     std::chrono::milliseconds timeout = std::chrono::seconds(10));

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::vector<std::string> texts_;
};

} // namespace corvath::test
