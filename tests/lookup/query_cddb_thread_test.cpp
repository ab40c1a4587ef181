#include "lookup/cddb_client.h"
#include "lookup/cddb_options.h"
#include "lookup/query_cddb_thread.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/cd_errors.h"
#include "support/cddb_test_support.h"
#include "support/temp_dir.h"

#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <thread>

namespace corvath {
namespace {

using namespace std::chrono_literals;
using test::CddbTestDisc;
using test::HttpTestServer;

// Every call the worker makes on either target, in order, as text.
class CallLog : public CddbEntryTarget, public MessageTarget {
public:
    void ClearDiscFields() override { Add("clear"); }
    void SetArtist(const std::string& artist) override { Add("artist " + artist); }
    void SetAlbum(const std::string& album) override { Add("album " + album); }
    void SetYear(const std::string& year) override { Add("year " + year); }
    void SelectGenre(const std::string& name) override { Add("genre " + name); }
    void SetDisc(int number, int total) override
    {
        Add("disc " + std::to_string(number) + " of " + std::to_string(total));
    }
    void AlignTitlesLeft() override { Add("align left"); }
    void SetTitle(int row, const std::string& title) override
    {
        Add("title " + std::to_string(row) + ' ' + title);
    }
    void SetReleaseDetails(const ReleaseDetails&) override { Add("details"); }
    // A failure's reason follows its numbers: "message 8 5: Could not connect to ...".
    void Post(uint32_t message, intptr_t wParam, intptr_t lParam,
              std::unique_ptr<MessagePayload> payload) override
    {
        EXPECT_EQ(message, kMsgCddbQuery);
        EXPECT_EQ(payload != nullptr, wParam == kCddbFailed);
        const auto* failure = dynamic_cast<const CddbFailure*>(payload.get());
        Add("message " + std::to_string(wParam) + ' ' + std::to_string(lParam) +
            (failure ? ": " + failure->reason : ""));
    }

    /// The calls up to and including the first message; nothing if none comes in time.
    std::optional<std::vector<std::string>> WaitForMessage()
    {
        std::unique_lock lock(mutex_);
        if (!posted_.wait_for(
                lock, 10s, [&] { return !calls_.empty() && calls_.back().starts_with("message"); }))
            return std::nullopt;
        return calls_;
    }

    std::vector<std::string> Calls()
    {
        const std::lock_guard lock(mutex_);
        return calls_;
    }

private:
    void Add(std::string call)
    {
        const std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
        posted_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable posted_;
    std::vector<std::string> calls_;
};

using Calls = std::vector<std::string>;

const std::string kEntry = corvath::test::CddbTestDisc::kEntry;

class QueryCddbThreadTest : public ::testing::Test {
protected:
    void SetUp() override { CddbClientOptions::Process().SetTimeouts(1s, 1s); }
    void TearDown() override
    {
        CddbClientOptions::Process().SetTimeouts(kCddbConnectTimeout, kCddbRequestTimeout);
    }

    CddbServer Settings(const std::string& address)
    {
        CddbServer settings;
        settings.Server = address;
        settings.Script = "/~cddb/cddb.cgi";
        return settings;
    }

    // Runs a worker for the test disc, tracks first to last, until its message.
    Calls Lookup(const HttpTestServer& server, uint8_t first = 1, uint8_t last = 3)
    {
        return LookupAt(server.Address(), disc_.Handle(), first, last);
    }

    Calls LookupAt(const std::string& address, int32_t handle, uint8_t first = 1, uint8_t last = 3)
    {
        CallLog log;
        const TQueryCDDBThread worker(Settings(address), first, last, handle, log, log);
        std::optional<Calls> calls = log.WaitForMessage();
        if (!calls) {
            ADD_FAILURE() << "no message from the worker";
            return {};
        }
        return *calls;
    }

    test::TempDir dir_;
    CddbTestDisc disc_{dir_.path()};
};

TEST_F(QueryCddbThreadTest, ExactMatchFillsDiscFieldsAndTitlesThenFinishes)
{
    const HttpTestServer server(
        test::CddbServer("200 rock 09000403 Artist / Album\r\n", {{"rock 09000403", kEntry}}));
    EXPECT_EQ(Lookup(server),
              (Calls{"clear", "artist Artist", "album Album", "year 1999", "genre Rock",
                     "align left", "title 0 One", "title 1 Two", "title 2 Three", "message 7 0"}));
    EXPECT_EQ(test::CddbCommands(server),
              (Calls{CddbTestDisc::kQueryCommand, "cddb read rock 09000403"}));
}

TEST_F(QueryCddbThreadTest, TitlesGoToTheRowsTheirKeysNumber)
{
    // A disc starting at track 3: its entry still numbers that track 0. A key's number is its
    // row; other keys between titles take none.
    const std::string entry = "TTITLE0=Three\nTTITLE1=Four\nEXTT9=Five\nTTITLE3=Six\n";
    const HttpTestServer server(
        test::CddbServer("200 rock 09000403 x\r\n", {{"rock 09000403", entry}}));
    // TTITLE3 is past the disc's three tracks.
    EXPECT_EQ(Lookup(server, 3, 5),
              (Calls{"clear", "align left", "title 0 Three", "title 1 Four", "message 7 0"}));
    EXPECT_EQ(Lookup(server, 3, 9), (Calls{"clear", "align left", "title 0 Three", "title 1 Four",
                                           "title 3 Six", "message 7 0"}));
}

TEST_F(QueryCddbThreadTest, FieldValuesAreTrimmedAndPassedAsTheyAre)
{
    const std::string entry = "DTITLE= AC/DC / Back \n"
                              "DYEAR=\t1987 \n"
                              "DGENRE=rock\n"
                              "   \n"
                              "TTITLE0= Ünïcödé – 東京 \n"
                              "TTITLE1=\n"
                              "TTITLE2=Café = Bar\n"
                              "DTITLE=in Black \t\n";
    const HttpTestServer server(
        test::CddbServer("200 rock 09000403 x\r\n", {{"rock 09000403", entry}}));
    // The two DTITLE lines are one value, split at " / " (not at AC/DC's "/"). The genre is
    // the target's to match: "rock" goes to it unchanged.
    EXPECT_EQ(Lookup(server), (Calls{"clear", "artist AC/DC", "album Back in Black", "year 1987",
                                     "genre rock", "align left", "title 0 Ünïcödé – 東京",
                                     "title 1 ", "title 2 Café = Bar", "message 7 0"}));
}

// A set's disc names itself at the end of the album: the album goes without it.
TEST_F(QueryCddbThreadTest, AnAlbumNamingItsDiscGivesTheDiscsPlaceInTheSet)
{
    const HttpTestServer server(test::CddbServer(
        "200 rock 09000403 x\r\n", {{"rock 09000403", "DTITLE=Band / Live (Disc 2)\n"}}));
    EXPECT_EQ(Lookup(server),
              (Calls{"clear", "artist Band", "album Live", "disc 2 of 0", "message 7 0"}));
}

TEST_F(QueryCddbThreadTest, FirstMatchWithTitlesDecidesAndLaterOnesAreNotFetched)
{
    const HttpTestServer server(test::CddbServer(
        "210 Found exact matches\r\n"
        "rock 09000403 First / One\r\n"
        "jazz 09000403 Second / Two\r\n"
        ".\r\n",
        {{"rock 09000403", kEntry}, {"jazz 09000403", "DTITLE=Other / Disc\r\n"}}));
    EXPECT_EQ(Lookup(server).size(), 10u);
    EXPECT_EQ(test::CddbCommands(server),
              (Calls{CddbTestDisc::kQueryCommand, "cddb read rock 09000403"}));
}

TEST_F(QueryCddbThreadTest, MatchesWithoutTitlesOrUnreadableLeadToTheNext)
{
    // The first entry cannot be read (401), the second has no title line, the third decides.
    const HttpTestServer server(
        test::CddbServer("211 close matches\r\n"
                         "misc 09000403 Gone\r\n"
                         "jazz 09000403 No titles\r\n"
                         "rock 09000403 Full\r\n"
                         ".\r\n",
                         {{"jazz 09000403", "DYEAR=2001\r\n"}, {"rock 09000403", kEntry}}));
    const Calls calls = Lookup(server);
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], "clear");
    EXPECT_EQ(calls[1], "year 2001");
    EXPECT_EQ(calls.back(), "message 7 0");
    EXPECT_EQ(test::CddbCommands(server).size(), 4u);

    // None has a title line: the fields hold what was read, then the worker finishes.
    const HttpTestServer noTitles(test::CddbServer("200 jazz 09000403 No titles\r\n",
                                                   {{"jazz 09000403", "DTITLE=A / B\r\n"}}));
    EXPECT_EQ(Lookup(noTitles), (Calls{"clear", "artist A", "album B", "message 7 0"}));
}

TEST_F(QueryCddbThreadTest, NoMatchPostsSixAndChangesNothing)
{
    const HttpTestServer server(test::CddbServer("202 No match found\r\n"));
    EXPECT_EQ(Lookup(server), (Calls{"message 6 " + std::to_string(kCdErrorNone)}));
}

TEST_F(QueryCddbThreadTest, FailedQueryPostsEightWithTheReasonAndChangesNothing)
{
    const std::string network = std::to_string(kCdErrorNetwork);
    const std::string server = std::to_string(kCdErrorServer);
    const std::string closed = HttpTestServer::ClosedAddress();
    EXPECT_EQ(LookupAt(closed, disc_.Handle()),
              (Calls{"message 8 " + network + ": Could not connect to " + closed +
                     ": Couldn't connect to server"}));
    // A silent server fails the query once the (lowered) time-out passes.
    const HttpTestServer silent = HttpTestServer::Silent();
    EXPECT_EQ(Lookup(silent), (Calls{"message 8 " + network + ": " + silent.Address() +
                                     " took the request but did not answer in time: Timeout "
                                     "was reached"}));

    const HttpTestServer failing(HttpTestServer::ServerError());
    EXPECT_EQ(Lookup(failing),
              (Calls{"message 8 " + server + ": " + failing.Address() + " answered HTTP 500"}));
    const HttpTestServer refusing(test::CddbServer("500 Command syntax error \r\n"));
    EXPECT_EQ(Lookup(refusing), (Calls{"message 8 " + server + ": " + refusing.Address() +
                                       " answered: 500 Command syntax error"}));

    EXPECT_EQ(LookupAt(failing.Address(), 0),
              (Calls{"message 8 " + std::to_string(kCdErrorNoDrive) +
                     ": Error while reading TOC information!"}));
}

// Matches whose entries cannot be read make a failed lookup that leaves the fields alone.
TEST_F(QueryCddbThreadTest, EntriesThatCannotBeReadFailTheLookup)
{
    const HttpTestServer server(test::CddbServer("211 close matches\r\n"
                                                 "misc 09000403 Gone\r\n"
                                                 "jazz 09000403 Gone too\r\n"
                                                 ".\r\n"));
    const Calls calls = Lookup(server);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].starts_with("message 8 " + std::to_string(kCdErrorServer) + ": " +
                                     server.Address() + " answered: 401"))
        << calls[0];
}

// A server that answers the query and then stalls on every read: the lookup ends when its one
// time-out has passed, without asking for the entries still to read.
TEST_F(QueryCddbThreadTest, QueryAndReadsShareOneTimeOut)
{
    const auto answers = test::CddbServer("211 close matches\r\n"
                                          "misc 09000403 One\r\n"
                                          "jazz 09000403 Two\r\n"
                                          "rock 09000403 Three\r\n"
                                          ".\r\n",
                                          {{"rock 09000403", kEntry}});
    const HttpTestServer server([&answers](const std::string& target) {
        if (test::QueryParameter(target, "cmd").starts_with("cddb read"))
            std::this_thread::sleep_for(1500ms);
        return answers(target);
    });
    const Calls calls = Lookup(server);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].starts_with("message 8 " + std::to_string(kCdErrorNetwork) + ": "))
        << calls[0];
    EXPECT_EQ(test::CddbCommands(server),
              (Calls{CddbTestDisc::kQueryCommand, "cddb read misc 09000403"}));
}

TEST_F(QueryCddbThreadTest, AbandonedWorkerMakesNoFurtherCall)
{
    const HttpTestServer silent = HttpTestServer::Silent();
    CddbClientOptions::Process().SetTimeouts(30s, 30s);
    CallLog kept;
    auto freed = std::make_unique<CallLog>();
    {
        TQueryCDDBThread keptWorker(Settings(silent.Address()), 1, 3, disc_.Handle(), kept, kept);
        TQueryCDDBThread freedWorker(Settings(silent.Address()), 1, 3, disc_.Handle(), *freed,
                                     *freed);
        std::this_thread::sleep_for(300ms); // the requests are under way
        keptWorker.Abandon();
        freedWorker.Abandon();
    }
    // Once abandoned, the targets may go at once (a sanitizer build sees any later call).
    freed.reset();
    // Abandoning stops the requests, which end long before the time-out; a worker that went on
    // would post its message as it ends.
    EXPECT_TRUE(silent.WaitForClosedConnections(2, 5s));
    EXPECT_TRUE(WaitForLeftWorkers(5s));
    EXPECT_TRUE(kept.Calls().empty());
}

TEST(CddbOptionsTest, SettingsBecomeTheClientOptions)
{
    CddbServer settings;
    settings.Server = "cddb.example.org";
    settings.Script = "/cgi/cddb";
    settings.UseProxy = true;
    settings.ProxyAddress = "proxy.example.org";
    settings.Port = "8080";
    ApplyCddbOptions(settings);
    CddbSettings applied = CddbClientOptions::Process().Snapshot();
    EXPECT_EQ(applied.server, "cddb.example.org");
    EXPECT_EQ(applied.script, "/cgi/cddb");
    EXPECT_EQ(applied.email, kCddbGreetingEmail);
    EXPECT_EQ(applied.client, "Corvath " CORVATH_VERSION);
    EXPECT_TRUE(applied.useProxy);
    EXPECT_EQ(applied.proxyAddress, "proxy.example.org");
    EXPECT_EQ(applied.proxyPort, 8080);

    settings.Port = "80a";
    ApplyCddbOptions(settings);
    EXPECT_EQ(CddbClientOptions::Process().Snapshot().proxyPort, 80);

    settings.UseProxy = false;
    ApplyCddbOptions(settings);
    EXPECT_FALSE(CddbClientOptions::Process().Snapshot().useProxy);
}

} // namespace
} // namespace corvath
