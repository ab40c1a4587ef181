#include "audio/threads/background_job.h"

#include <mutex>
#include <utility>

namespace corvath {

/// What the worker shares with its owner. The message is posted under postMutex: Abandon takes
/// that mutex after setting abandoned, so no message goes out after it.
struct BackgroundJob::State {
    explicit State(MessageTarget& messages) : messages(messages) {}

    void Post(JobMessage message)
    {
        // From here on the thread only ends, so an owner that has the message joins it.
        finished = true;
        const std::lock_guard lock(postMutex);
        if (!abandoned)
            messages.Post(message.message, message.wParam, 0, std::move(message.payload));
    }

    MessageTarget& messages;
    std::atomic<bool> abandoned{false}; // also the work's cancel flag
    std::atomic<bool> finished{false};
    std::mutex postMutex;
};

BackgroundJob::BackgroundJob(Work work, Failed failed, MessageTarget& messages)
    : state_(std::make_shared<State>(messages)),
      thread_(std::shared_ptr<std::atomic<bool>>(state_, &state_->finished),
              [state = state_, work = std::move(work), failed = std::move(failed)] {
                  try {
                      state->Post(work(state->abandoned));
                  } catch (const std::exception& error) {
                      try {
                          state->Post(failed(error));
                      } catch (const std::exception&) {
                          // Not even the failure could be told; the thread still ends cleanly.
                      }
                  }
              })
{
}

BackgroundJob::~BackgroundJob()
{
    Abandon();
}

void BackgroundJob::Abandon()
{
    state_->abandoned = true;
    // Posting never blocks, so a post in progress ends soon.
    const std::lock_guard lock(state_->postMutex);
}

} // namespace corvath
