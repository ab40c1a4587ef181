#include "audio/threads/worker.h"

#include <atomic>
#include <condition_variable>
#include <list>
#include <mutex>
#include <utility>

namespace corvath {

namespace {

// The threads of abandoned workers, until they are joined. Never destroyed: a thread still
// running at the program's end must find it intact.
class LeftWorkers {
public:
    static LeftWorkers& Process()
    {
        static auto* const left = new LeftWorkers;
        return *left;
    }

    void Leave(std::jthread thread, std::shared_ptr<const std::atomic<bool>> ended)
    {
        const std::lock_guard lock(mutex_);
        JoinEnded();
        threads_.push_back({std::move(thread), std::move(ended)});
    }

    /// The body has returned: its thread only ends now, and may be joined under the mutex as
    /// it takes it no more.
    void SetEnded(std::atomic<bool>& ended)
    {
        const std::lock_guard lock(mutex_);
        ended = true;
        changed_.notify_all();
    }

    bool WaitAll(std::chrono::milliseconds bound)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, bound, [this] {
            JoinEnded();
            return threads_.empty();
        });
    }

private:
    struct Left {
        std::jthread thread;
        std::shared_ptr<const std::atomic<bool>> ended;
    };

    void JoinEnded()
    {
        std::erase_if(threads_, [](const Left& left) { return left.ended->load(); });
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::list<Left> threads_;
};

} // namespace

/// What the thread shares with its owner. Every message goes out under mutex: Abandon takes it
/// after cutting the target off, so no message goes out after it.
struct Worker::Shared : MessageTarget {
    explicit Shared(MessageTarget& target) : target(&target) {}

    void Post(uint32_t message, intptr_t wParam, intptr_t lParam,
              std::unique_ptr<MessagePayload> payload) override
    {
        const std::lock_guard lock(mutex);
        if (target != nullptr)
            target->Post(message, wParam, lParam, std::move(payload));
    }

    void CutOff()
    {
        const std::lock_guard lock(mutex);
        target = nullptr;
    }

    std::mutex mutex;
    MessageTarget* target;
    std::atomic<bool> ended{false};
};

Worker::Worker(MessageTarget& target, Body body, Failed failed)
    : shared_(std::make_shared<Shared>(target)),
      thread_([shared = shared_, body = std::move(body),
               failed = std::move(failed)](std::stop_token stop) {
          try {
              body(stop, *shared);
          } catch (const std::exception& error) {
              try {
                  failed(error, *shared);
              } catch (const std::exception&) {
                  // Not even the failure could be told; the thread still ends cleanly.
              }
          }
          LeftWorkers::Process().SetEnded(shared->ended);
      })
{
}

Worker::~Worker()
{
    Abandon();
    if (Ended())
        thread_.join();
    else
        LeftWorkers::Process().Leave(
            std::move(thread_), std::shared_ptr<const std::atomic<bool>>(shared_, &shared_->ended));
}

void Worker::Stop()
{
    thread_.request_stop();
}

void Worker::Abandon()
{
    Stop();
    shared_->CutOff();
}

bool Worker::Ended() const
{
    return shared_->ended;
}

bool WaitForLeftWorkers(std::chrono::milliseconds bound)
{
    return LeftWorkers::Process().WaitAll(bound);
}

} // namespace corvath
