#include "audio/threads/background_job.h"
#include "support/text_messages.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <stop_token>
#include <vector>

namespace corvath {
namespace {

using namespace std::chrono_literals;

JobMessage Said(uint32_t message, std::string text)
{
    return {message, 2, std::make_unique<test::TextPayload>(std::move(text))};
}

BackgroundJob::Failed SayFailure()
{
    return [](const std::exception& error) { return Said(9, error.what()); };
}

TEST(BackgroundJob, PostsWhatTheWorkReturnsOrWhatFailedMakesOfItsError)
{
    test::TextQueue done;
    {
        const BackgroundJob job([](std::stop_token) { return Said(1, "done"); }, SayFailure(),
                                done);
        EXPECT_EQ(done.WaitFor(1), std::vector<std::string>{"1/2: done"});
    }
    test::TextQueue failed;
    {
        const BackgroundJob job(
            [](std::stop_token) -> JobMessage { throw std::runtime_error("disk full"); },
            SayFailure(), failed);
        EXPECT_EQ(failed.WaitFor(1), std::vector<std::string>{"9/2: disk full"});
    }
}

} // namespace
} // namespace corvath
