#include "lookup/query_musicbrainz_thread.h"
#include "support/http_test_server.h"
#include "support/musicbrainz_test_json.h"

#include <condition_variable>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <thread>

namespace corvath {
namespace {

using namespace std::chrono_literals;
using Json = nlohmann::json;
using Outcome = MusicBrainzLookup::Outcome;
using test::DiscIdAnswer;
using test::HttpTestResponse;
using test::HttpTestServer;
using test::MediumJson;
using test::ReleaseJson;

// The messages posted, with their answers.
class AnswerQueue : public MessageTarget {
public:
    void Post(uint32_t message, intptr_t wParam, intptr_t,
              std::unique_ptr<MessagePayload> payload) override
    {
        EXPECT_EQ(message, kMsgMusicBrainzQuery);
        auto* answer = dynamic_cast<MusicBrainzAnswer*>(payload.get());
        ASSERT_NE(answer, nullptr);
        EXPECT_EQ(wParam, static_cast<intptr_t>(answer->lookup.outcome));
        const std::lock_guard lock(mutex_);
        lookups_.push_back(std::move(answer->lookup));
        posted_.notify_all();
    }

    /// The first lookup posted; nothing if none comes in time.
    std::optional<MusicBrainzLookup> Wait()
    {
        std::unique_lock lock(mutex_);
        if (!posted_.wait_for(lock, 10s, [&] { return !lookups_.empty(); }))
            return std::nullopt;
        return lookups_.front();
    }

    std::size_t Count()
    {
        const std::lock_guard lock(mutex_);
        return lookups_.size();
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::vector<MusicBrainzLookup> lookups_;
};

MusicBrainzQuery QueryTo(const std::string& address)
{
    MusicBrainzQuery query;
    query.server = "http://" + address;
    query.discId = "lwHl8fGzJyLXQR33ug60E8jhf4k-";
    query.toc = "1+3+60000+150+20000+40000";
    query.http.connectTimeout = 5s;
    query.http.requestTimeout = 5s;
    return query;
}

TEST(QueryMusicBrainzThread, PostsTheOutcomeWithTheReleasesOrTheReason)
{
    const HttpTestServer server([](const std::string&) -> HttpTestResponse {
        return {200, DiscIdAnswer(Json::array(
                         {ReleaseJson("id-1", "First", {MediumJson(1, "", {"a", "b", "c"})})}))};
    });
    AnswerQueue found;
    {
        TQueryMusicBrainzThread worker(QueryTo(server.Address()), found);
        const std::optional<MusicBrainzLookup> lookup = found.Wait();
        ASSERT_TRUE(lookup);
        EXPECT_EQ(lookup->outcome, Outcome::Found) << lookup->failure;
        ASSERT_EQ(lookup->releases.size(), 1u);
        EXPECT_EQ(lookup->releases[0].trackTitles, (std::vector<std::string>{"a", "b", "c"}));
    }

    AnswerQueue failed;
    {
        TQueryMusicBrainzThread worker(QueryTo(HttpTestServer::ClosedAddress()), failed);
        const std::optional<MusicBrainzLookup> lookup = failed.Wait();
        ASSERT_TRUE(lookup);
        EXPECT_EQ(lookup->outcome, Outcome::Failed);
        EXPECT_FALSE(lookup->failure.empty());
    }
    EXPECT_EQ(found.Count() + failed.Count(), 2u) << "one message a lookup";
}

TEST(QueryMusicBrainzThread, AnAbandonedLookupPostsNothingEvenWhenTheAnswerComes)
{
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    const HttpTestServer server([released](const std::string&) -> HttpTestResponse {
        released.wait();
        return {200, DiscIdAnswer(
                         Json::array({ReleaseJson("id-1", "Late", {MediumJson(1, "", {"a"})})}))};
    });
    AnswerQueue messages;
    {
        TQueryMusicBrainzThread worker(QueryTo(server.Address()), messages);
        for (int i = 0; i < 1000 && server.RequestLines().empty(); ++i)
            std::this_thread::sleep_for(10ms);
        ASSERT_FALSE(server.RequestLines().empty()) << "the request is on its way";
        worker.Abandon();
        // Destroying the worker does not wait for the request.
    }
    release.set_value();
    std::this_thread::sleep_for(1500ms); // the answer arrives meanwhile
    EXPECT_EQ(messages.Count(), 0u);
}

} // namespace
} // namespace corvath
