#include "audio/threads/main_thread_messages.h"

#include "audio/model/main_thread.h"

namespace corvath {

MainThreadMessages::MainThreadMessages(Handler handler)
    : handler_(std::make_shared<Handler>(std::move(handler)))
{
}

MainThreadMessages::~MainThreadMessages()
{
    Close();
}

void MainThreadMessages::Post(uint32_t message, intptr_t wParam, intptr_t lParam,
                              std::unique_ptr<MessagePayload> payload)
{
    std::weak_ptr<Handler> receiver;
    {
        const std::lock_guard lock(mutex_);
        receiver = handler_;
    }
    // A queued call must be copyable; the payload goes with it and dies with it.
    std::shared_ptr<MessagePayload> carried(std::move(payload));
    MainThread::Current().Post([receiver, message, wParam, lParam, carried] {
        if (const std::shared_ptr<Handler> handler = receiver.lock())
            (*handler)(message, wParam, lParam, carried.get());
    });
}

void MainThreadMessages::Close()
{
    const std::lock_guard lock(mutex_);
    handler_.reset();
}

} // namespace corvath
