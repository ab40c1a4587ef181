#pragma once

#include "audio/threads/message_target.h"

#include <functional>
#include <memory>
#include <mutex>

namespace corvath {

/// Workers' messages handed to a handler on the main thread (MainThread::Current()), in the
/// order posted and in turn with the audio components' events. The handler borrows the payload
/// for the call.
class MainThreadMessages : public MessageTarget {
public:
    using Handler = std::function<void(uint32_t message, intptr_t wParam, intptr_t lParam,
                                       MessagePayload* payload)>;

    explicit MainThreadMessages(Handler handler);
    /// Closes.
    ~MainThreadMessages() override;
    MainThreadMessages(const MainThreadMessages&) = delete;
    MainThreadMessages& operator=(const MainThreadMessages&) = delete;

    void Post(uint32_t message, intptr_t wParam, intptr_t lParam,
              std::unique_ptr<MessagePayload> payload = nullptr) override;

    /// Drops the messages still on their way and any posted later, so that a receiver being
    /// taken down never sees one. Main thread.
    void Close();

private:
    std::mutex mutex_;
    std::shared_ptr<Handler> handler_; // messages on their way hold it weakly
};

} // namespace corvath
