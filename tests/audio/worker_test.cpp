#include "audio/threads/worker.h"
#include "platform/net/http_get.h"
#include "support/http_test_server.h"
#include "support/text_messages.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace corvath {
namespace {

using namespace std::chrono_literals;
using test::TextQueue;

void Say(MessageTarget& target, std::string text)
{
    target.Post(1, 0, 0, std::make_unique<test::TextPayload>(std::move(text)));
}

Worker::Failed SayFailure()
{
    return [](const std::exception& error, MessageTarget& target) {
        Say(target, std::string("failed: ") + error.what());
    };
}

// Blocks until the stop is asked for: what a wait or a read of the work does.
void WaitForStop(const std::stop_token& stop)
{
    std::mutex mutex;
    std::condition_variable_any never;
    std::unique_lock lock(mutex);
    never.wait(lock, stop, [] { return false; });
}

TEST(Worker, ABodyThatThrowsIsReportedWithItsReason)
{
    TextQueue done;
    TextQueue failed;
    {
        const Worker fine(
            done, [](std::stop_token, MessageTarget& target) { Say(target, "done"); },
            SayFailure());
        const Worker broken(
            failed, [](std::stop_token, MessageTarget&) { throw std::runtime_error("disk full"); },
            SayFailure());
        EXPECT_EQ(done.WaitFor(1), std::vector<std::string>{"1/0: done"});
        EXPECT_EQ(failed.WaitFor(1), std::vector<std::string>{"1/0: failed: disk full"});
    }
    EXPECT_EQ(done.WaitFor(2, 50ms).size(), 1u) << "a body that returns reports no failure";
}

TEST(Worker, StopReachesTheBodyWhoseMessagesStillArrive)
{
    TextQueue messages;
    Worker worker(
        messages,
        [](std::stop_token stop, MessageTarget& target) {
            Say(target, "waiting");
            WaitForStop(stop);
            Say(target, "stopped");
        },
        SayFailure());
    ASSERT_EQ(messages.WaitFor(1), std::vector<std::string>{"1/0: waiting"});
    EXPECT_FALSE(worker.Ended());
    worker.Stop();
    EXPECT_EQ(messages.WaitFor(2), (std::vector<std::string>{"1/0: waiting", "1/0: stopped"}));
}

TEST(Worker, AnAbandonedWorkerIsStoppedAndPostsNothingMore)
{
    TextQueue messages;
    std::atomic<bool> sawStop{false};
    {
        const Worker worker(
            messages,
            [&sawStop](std::stop_token stop, MessageTarget& target) {
                Say(target, "waiting");
                WaitForStop(stop);
                sawStop = true;
                Say(target, "too late");
            },
            SayFailure());
        ASSERT_EQ(messages.WaitFor(1), std::vector<std::string>{"1/0: waiting"});
    }
    EXPECT_TRUE(WaitForLeftWorkers(10s));
    EXPECT_TRUE(sawStop);
    EXPECT_EQ(messages.WaitFor(2, 50ms), std::vector<std::string>{"1/0: waiting"});
}

// A server that never answers holds the request for its whole time-out unless the stop ends it.
TEST(Worker, AStoppedRequestToASilentServerEndsPromptly)
{
    const test::HttpTestServer silent = test::HttpTestServer::Silent();
    TextQueue messages;
    Worker worker(
        messages,
        [url = "http://" + silent.Address() + "/"](std::stop_token stop, MessageTarget& target) {
            HttpGetOptions http;
            http.connectTimeout = 10min;
            http.requestTimeout = 10min;
            http.stop = std::move(stop);
            Say(target, "asking");
            const HttpGetResult answer = HttpGet(url, http);
            Say(target, answer.reached ? "answered" : "no answer");
        },
        SayFailure());
    ASSERT_EQ(messages.WaitFor(1), std::vector<std::string>{"1/0: asking"});
    std::this_thread::sleep_for(200ms); // the request is under way
    const auto stopped = std::chrono::steady_clock::now();
    worker.Stop();
    EXPECT_EQ(messages.WaitFor(2), (std::vector<std::string>{"1/0: asking", "1/0: no answer"}));
    // libcurl looks at the stop about once a second.
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, 5s);
    EXPECT_TRUE(silent.WaitForClosedConnections(1, 10s));
}

// The end of main waits for left workers, but only so long.
TEST(Worker, TheWaitForLeftWorkersIsBounded)
{
    TextQueue messages;
    std::mutex mutex;
    std::condition_variable_any released;
    bool release = false;
    std::atomic<bool> ended{false};
    {
        // Deaf to its stop, as a read the drive will not give up is.
        const Worker deaf(
            messages,
            [&](std::stop_token, MessageTarget& target) {
                Say(target, "busy");
                std::unique_lock lock(mutex);
                released.wait(lock, [&] { return release; });
                ended = true;
            },
            SayFailure());
        ASSERT_EQ(messages.WaitFor(1), std::vector<std::string>{"1/0: busy"});
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(WaitForLeftWorkers(200ms));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_FALSE(ended);
    {
        const std::lock_guard lock(mutex);
        release = true;
    }
    released.notify_all();
    EXPECT_TRUE(WaitForLeftWorkers(10s));
    EXPECT_TRUE(ended);
}

} // namespace
} // namespace corvath
