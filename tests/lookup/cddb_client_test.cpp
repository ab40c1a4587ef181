#include "lookup/cddb_client.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/cd_errors.h"
#include "support/cddb_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

using namespace std::chrono_literals;
using test::CddbTestDisc;
using test::HttpTestServer;

constexpr const char* kScript = "/~cddb/cddb.cgi";

// The options are process-wide: every test sets all of those it relies on.
class CddbClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CddbClientOptions::Process().SetTimeouts(1s, 1s);
        CDDBSetOption(kCddbScript, kScript, 0);
        CDDBSetOption(kCddbEmail, "tester@example.org", 0);
        CDDBSetOption(kCddbClient, "Test Client 2.5", 0);
        CDDBSetOption(kCddbUseProxy, "", 0);
    }
    void TearDown() override
    {
        CddbClientOptions::Process().SetTimeouts(kCddbConnectTimeout, kCddbRequestTimeout);
    }

    int32_t Query(const HttpTestServer& server, CddbMatchList& matches)
    {
        CDDBSetOption(kCddbServer, server.Address(), 0);
        return CDDBQuery(disc_.Handle(), matches);
    }

    test::TempDir dir_;
    CddbTestDisc disc_{dir_.path()};
};

TEST_F(CddbClientTest, QueryCarriesDiscIdOffsetsGreetingAndProtocolLevel)
{
    const HttpTestServer server(test::CddbServer("200 rock 09000403 Some Artist / Some Album\r\n"));
    CddbMatchList matches;
    ASSERT_EQ(Query(server, matches), 1);
    EXPECT_EQ(GetAspiLibError(), kCdErrorNone);
    ASSERT_EQ(matches.Count, 1u);
    EXPECT_EQ(matches.Matches[0].Category, "rock");
    EXPECT_EQ(matches.Matches[0].DiscId, "09000403");
    EXPECT_EQ(matches.Matches[0].Title, "Some Artist / Some Album");
    // The client text's last word is the version; spaces inside a greeting field would split it.
    EXPECT_EQ(
        server.RequestLines(),
        std::vector<std::string>{"GET /~cddb/cddb.cgi?cmd=cddb+query+09000403+3+150+250+350+6"
                                 "&hello=tester+example.org+Test_Client+2.5&proto=6 HTTP/1.1"});
}

TEST_F(CddbClientTest, SeveralMatchesUpToTheRoomGiven)
{
    std::string inexact = "211 close matches found\r\n";
    for (int i = 0; i < 12; ++i)
        inexact += "misc 0900040" + std::to_string(i % 10) + " Disc " + std::to_string(i) + "\r\n";
    inexact += ".\r\n";
    struct Case {
        std::string answer;
        uint32_t room;
        uint32_t expected;
    };
    for (const Case& c : {Case{"210 Found exact matches\n"
                               "rock 09000403 First / One\n"
                               "jazz 09000403 Second / Two\n"
                               ".\n",
                               10, 2},
                          Case{inexact, 10, 10}, Case{inexact, 3, 3}}) {
        const HttpTestServer server(test::CddbServer(c.answer));
        CddbMatchList matches;
        matches.Count = c.room;
        ASSERT_EQ(Query(server, matches), 1) << c.answer;
        ASSERT_EQ(matches.Count, c.expected) << c.answer;
        EXPECT_EQ(matches.Matches[c.expected - 1].Title,
                  c.expected == 2 ? "Second / Two" : "Disc " + std::to_string(c.expected - 1));
    }
}

TEST_F(CddbClientTest, NoMatchIsASuccessfulQuery)
{
    const HttpTestServer server(test::CddbServer("202 No match found\r\n"));
    CddbMatchList matches;
    EXPECT_EQ(Query(server, matches), 1);
    EXPECT_EQ(matches.Count, 0u);
    EXPECT_EQ(GetAspiLibError(), kCdErrorNone);
}

TEST_F(CddbClientTest, ServerErrorsFailTheQueryAndSayWhy)
{
    const HttpTestServer failing(HttpTestServer::ServerError());
    CddbMatchList matches;
    EXPECT_NE(Query(failing, matches), 1);
    EXPECT_EQ(matches.Count, 0u);
    EXPECT_EQ(GetAspiLibError(), kCdErrorServer);
    EXPECT_EQ(GetCdLastErrorText(), failing.Address() + " answered HTTP 500");
    struct Case {
        const char* answer;
        std::string reason;
    };
    for (const Case& c :
         {Case{"403 Database entry is corrupt\r\n", "403 Database entry is corrupt"},
          Case{"409 No handshake \t\r\nmore\r\n", "409 No handshake"},
          Case{"500 Command syntax error\n", "500 Command syntax error"},
          Case{"530 Server error", "530 Server error"}}) {
        const HttpTestServer server(test::CddbServer(c.answer));
        matches = {};
        SetCdLastError(kCdErrorNone);
        EXPECT_NE(Query(server, matches), 1) << c.answer;
        EXPECT_EQ(matches.Count, 0u);
        EXPECT_EQ(GetAspiLibError(), kCdErrorServer) << c.answer;
        EXPECT_EQ(GetCdLastErrorText(), server.Address() + " answered: " + c.reason);
    }
    // Answers turning the program away, not the request, say so and where else to look.
    for (const char* refusal : {"500 Unknown developer email", "432 No connections allowed",
                                "503 Client not registered"}) {
        const HttpTestServer server(test::CddbServer(std::string(refusal) + "\r\n"));
        EXPECT_NE(Query(server, matches), 1) << refusal;
        EXPECT_EQ(GetCdLastErrorText(),
                  server.Address() + " answered: " + refusal +
                      "\nThe server accepts only client programs "
                      "registered with it. MusicBrainz needs no registration.");
    }
    const HttpTestServer notCddb(test::CddbServer("<html>200 not cddb</html>"));
    EXPECT_NE(Query(notCddb, matches), 1);
    EXPECT_EQ(GetAspiLibError(), kCdErrorServer);
    EXPECT_EQ(GetCdLastErrorText(),
              "The answer from " + notCddb.Address() + " is not a CDDB answer");
}

TEST_F(CddbClientTest, AnswerBeyondOneMebibyteIsRefused)
{
    const HttpTestServer server(test::CddbServer("202 No match\r\n" + std::string(1 << 20, '#')));
    CddbMatchList matches;
    EXPECT_NE(Query(server, matches), 1);
    EXPECT_EQ(GetAspiLibError(), kCdErrorNetwork);
    EXPECT_EQ(GetCdLastErrorText(),
              "The answer from " + server.Address() + " is larger than 1 MiB");
}

// A silent server took the request, so it is not called unreachable.
TEST_F(CddbClientTest, SilentOrAbsentServerIsANetworkFailureWithinTheTimeOut)
{
    const HttpTestServer silent = HttpTestServer::Silent();
    CddbMatchList matches;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NE(Query(silent, matches), 1);
    // The lowered one-second limit, not the thirty seconds of a real run.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(GetAspiLibError(), kCdErrorNetwork);
    EXPECT_EQ(GetCdLastErrorText(), silent.Address() + " took the request but did not answer in "
                                                       "time: Timeout was reached");

    const std::string closed = HttpTestServer::ClosedAddress();
    CDDBSetOption(kCddbServer, closed, 0);
    SetCdLastError(kCdErrorNone);
    EXPECT_NE(CDDBQuery(disc_.Handle(), matches), 1);
    EXPECT_EQ(GetAspiLibError(), kCdErrorNetwork);
    EXPECT_EQ(GetCdLastErrorText(),
              "Could not connect to " + closed + ": Couldn't connect to server");
}

TEST_F(CddbClientTest, UnreadableTocFailsTheQueryBeforeAnyRequest)
{
    const HttpTestServer server(test::CddbServer("202 No match found\r\n"));
    CDDBSetOption(kCddbServer, server.Address(), 0);
    CddbMatchList matches;
    EXPECT_NE(CDDBQuery(0, matches), 1);
    EXPECT_EQ(GetAspiLibError(), kCdErrorNoDrive);
    EXPECT_EQ(GetCdLastErrorText(), "Error while reading TOC information!");
    EXPECT_TRUE(server.RequestLines().empty());

    // The next success clears the words with the number.
    EXPECT_EQ(CDDBQuery(disc_.Handle(), matches), 1);
    EXPECT_EQ(GetAspiLibError(), kCdErrorNone);
    EXPECT_EQ(GetCdLastErrorText(), "");
}

TEST_F(CddbClientTest, ProxyReceivesTheAbsoluteUri)
{
    const HttpTestServer proxy(test::CddbServer("202 No match found\r\n"));
    // The server's name cannot be resolved here: only the proxy can answer.
    CDDBSetOption(kCddbServer, "cddb.invalid", 0);
    CDDBSetOption(kCddbUseProxy, "", 1);
    CDDBSetOption(kCddbProxyPort, "", proxy.Port());
    CDDBSetOption(kCddbProxyAddress, "127.0.0.1", 0);
    CddbMatchList matches;
    EXPECT_EQ(CDDBQuery(disc_.Handle(), matches), 1);
    ASSERT_EQ(proxy.RequestLines().size(), 1u);
    EXPECT_TRUE(proxy.RequestLines()[0].starts_with(
        "GET http://cddb.invalid/~cddb/cddb.cgi?cmd=cddb+query+09000403+"))
        << proxy.RequestLines()[0];

    // A proxy that refuses is named beside the server.
    const std::string closed = HttpTestServer::ClosedAddress();
    CDDBSetOption(kCddbProxyPort, "", std::stoi(closed.substr(closed.find(':') + 1)));
    EXPECT_NE(CDDBQuery(disc_.Handle(), matches), 1);
    EXPECT_EQ(GetCdLastErrorText(),
              "Could not connect to cddb.invalid: Couldn't connect to server (through the proxy " +
                  closed + ')');

    CDDBSetOption(kCddbUseProxy, "", 0);
    EXPECT_NE(CDDBQuery(disc_.Handle(), matches), 1);
    EXPECT_EQ(GetAspiLibError(), kCdErrorNetwork);
    EXPECT_EQ(proxy.RequestLines().size(), 1u) << "a proxy turned off is not used";
}

TEST_F(CddbClientTest, EntryLinesInUtf8WithoutStatusLineAndEnd)
{
    const std::string entry = "# xmcd\r\n"
                              "DISCID=09000403\r\n"
                              "DTITLE=Motörhead / Überall – 東京\r\n"
                              "DYEAR=1999\r\n"
                              "TTITLE0=Café\r\n";
    const HttpTestServer server(test::CddbServer("", {{"rock 09000403", entry}}));
    CDDBSetOption(kCddbServer, server.Address(), 0);
    std::string text;
    ASSERT_EQ(CDDBGetDiskInfo({"rock", "09000403", "x"}, text, 32000), 1);
    EXPECT_EQ(text, "# xmcd\nDISCID=09000403\nDTITLE=Motörhead / Überall – 東京\nDYEAR=1999\n"
                    "TTITLE0=Café");
    EXPECT_EQ(test::CddbCommands(server).back(), "cddb read rock 09000403");

    // "# xmcd\nDISCID=09000403\nDTITLE=Mot" and half of the "ö": the half goes.
    ASSERT_EQ(CDDBGetDiskInfo({"rock", "09000403", "x"}, text, 34), 1);
    EXPECT_EQ(text, "# xmcd\nDISCID=09000403\nDTITLE=Mot");

    EXPECT_NE(CDDBGetDiskInfo({"jazz", "09000403", "x"}, text, 32000), 1);
    EXPECT_EQ(GetAspiLibError(), kCdErrorServer);
    EXPECT_TRUE(GetCdLastErrorText().starts_with(server.Address() + " answered: 401"))
        << GetCdLastErrorText();
    EXPECT_TRUE(text.empty());
}

} // namespace
} // namespace corvath
