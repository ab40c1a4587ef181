#include "platform/net/http_get.h"
#include "support/http_test_server.h"

#include <gtest/gtest.h>
#include <stop_token>

namespace corvath {
namespace {

using namespace std::chrono_literals;
using test::HttpTestResponse;
using test::HttpTestServer;

HttpGetOptions QuickOptions()
{
    HttpGetOptions options;
    options.connectTimeout = 5s;
    options.requestTimeout = 5s;
    return options;
}

// CDDB and AccurateRip speak plain HTTP: an https:// URL is refused before any connection.
// Allowed, the same URL gets as far as connecting (nothing listens there).
TEST(HttpGet, TakesHttpsOnlyWhenAllowed)
{
    const std::string url = "https://" + HttpTestServer::ClosedAddress() + "/";
    HttpGetOptions options = QuickOptions();
    const HttpGetResult refused = HttpGet(url, options);
    EXPECT_FALSE(refused.reached);
    EXPECT_NE(refused.error.find("protocol"), std::string::npos) << refused.error;

    options.allowHttps = true;
    const HttpGetResult tried = HttpGet(url, options);
    EXPECT_FALSE(tried.reached);
    EXPECT_EQ(tried.error.find("protocol"), std::string::npos) << tried.error;
}

// A request cancelled before it starts sends nothing.
TEST(HttpGet, ACancelledRequestIsNeverSent)
{
    const HttpTestServer server([](const std::string&) { return HttpTestResponse{200, "x"}; });
    std::stop_source stop;
    stop.request_stop();
    HttpGetOptions options = QuickOptions();
    options.stop = stop.get_token();
    const HttpGetResult result = HttpGet("http://" + server.Address() + "/", options);
    EXPECT_FALSE(result.reached);
    EXPECT_TRUE(server.RequestLines().empty());
}

TEST(HttpGet, FollowsRedirectsOnlyWhenAskedAndOnlyAsFarAsAllowed)
{
    HttpTestServer server([](const std::string& target) -> HttpTestResponse {
        if (target == "/moved")
            return {302, "", {"Location: /here"}};
        if (target == "/loop")
            return {302, "", {"Location: /loop"}};
        if (target == "/to-ftp")
            return {302, "", {"Location: ftp://127.0.0.1/file"}};
        return {200, "arrived"};
    });
    const std::string root = "http://" + server.Address();
    HttpGetOptions options = QuickOptions();

    const HttpGetResult unfollowed = HttpGet(root + "/moved", options);
    EXPECT_TRUE(unfollowed.reached);
    EXPECT_EQ(unfollowed.status, 302);

    options.maxRedirects = 5;
    const HttpGetResult followed = HttpGet(root + "/moved", options);
    EXPECT_TRUE(followed.reached) << followed.error;
    EXPECT_EQ(followed.status, 200);
    EXPECT_EQ(followed.body, "arrived");

    const std::size_t before = server.RequestLines().size();
    EXPECT_FALSE(HttpGet(root + "/loop", options).reached);
    EXPECT_EQ(server.RequestLines().size() - before, 6u) << "the first request and 5 redirects";

    EXPECT_FALSE(HttpGet(root + "/to-ftp", options).reached);
}

TEST(HttpGet, SendsTheUserAgentAndCapsTheBodyAsAsked)
{
    const std::string large(1536 * 1024, 'x');
    HttpTestServer server([&](const std::string&) -> HttpTestResponse { return {200, large}; });
    const std::string url = "http://" + server.Address() + "/cover";
    HttpGetOptions options = QuickOptions();

    const HttpGetResult capped = HttpGet(url, options);
    EXPECT_FALSE(capped.reached);
    EXPECT_TRUE(capped.tooLarge);

    options.maxBodyBytes = 4 << 20;
    options.userAgent = "Tester/1.0 ( test@example.org )";
    const HttpGetResult whole = HttpGet(url, options);
    EXPECT_TRUE(whole.reached) << whole.error;
    EXPECT_EQ(whole.body.size(), large.size());

    const std::vector<std::string> agents = server.RequestHeaders("User-Agent");
    ASSERT_EQ(agents.size(), 2u);
    EXPECT_EQ(agents[0], "Corvath/" CORVATH_VERSION) << "the program's own unless asked";
    EXPECT_EQ(agents[1], "Tester/1.0 ( test@example.org )");
}

} // namespace
} // namespace corvath
