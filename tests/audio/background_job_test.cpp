#include "audio/threads/background_job.h"

#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <stdexcept>
#include <stop_token>
#include <vector>

namespace corvath {
namespace {

using namespace std::chrono_literals;

struct Text : MessagePayload {
    explicit Text(std::string text) : text(std::move(text)) {}
    std::string text;
};

// The texts of the messages posted.
class TextQueue : public MessageTarget {
public:
    void Post(uint32_t message, intptr_t wParam, intptr_t,
              std::unique_ptr<MessagePayload> payload) override
    {
        const std::lock_guard lock(mutex_);
        auto* text = dynamic_cast<Text*>(payload.get());
        texts_.push_back(std::to_string(message) + "/" + std::to_string(wParam) + ": " +
                         (text ? text->text : "?"));
        posted_.notify_all();
    }

    std::vector<std::string> WaitForOne()
    {
        std::unique_lock lock(mutex_);
        posted_.wait_for(lock, 10s, [&] { return !texts_.empty(); });
        return texts_;
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::vector<std::string> texts_;
};

JobMessage Said(uint32_t message, std::string text)
{
    return {message, 2, std::make_unique<Text>(std::move(text))};
}

BackgroundJob::Failed SayFailure()
{
    return [](const std::exception& error) { return Said(9, error.what()); };
}

TEST(BackgroundJob, PostsWhatTheWorkReturnsOrWhatFailedMakesOfItsError)
{
    TextQueue done;
    {
        const BackgroundJob job([](std::stop_token) { return Said(1, "done"); }, SayFailure(),
                                done);
        EXPECT_EQ(done.WaitForOne(), std::vector<std::string>{"1/2: done"});
    }
    TextQueue failed;
    {
        const BackgroundJob job(
            [](std::stop_token) -> JobMessage { throw std::runtime_error("disk full"); },
            SayFailure(), failed);
        EXPECT_EQ(failed.WaitForOne(), std::vector<std::string>{"9/2: disk full"});
    }
}

} // namespace
} // namespace corvath
