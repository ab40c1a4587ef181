#include "platform/files/program_folder.h"
#include "support/cddb_test_support.h"
#include "support/disc_image.h"
#include "support/temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace corvath {
namespace {

namespace fs = std::filesystem;
using test::HttpTestServer;

const std::string kEntry = "# xmcd\r\n"
                           "DTITLE=Motörhead / Überall\r\n"
                           "DYEAR=1999\r\n"
                           "DGENRE=Rock\r\n"
                           "TTITLE0=Eins\r\n"
                           "TTITLE1=Zwei\r\n"
                           "TTITLE2=Drei\r\n";

// The settings files live beside the executable, so each test runs its own copy of the program.
class CliCddbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Test programs are built beside corvath-cli.
        fs::copy_file(ProgramFolder() + "corvath-cli", cli_);
        image_ = test::WriteCueImage(dir_ / "disc", {{test::AudioSectors(100, 1)},
                                                     {test::AudioSectors(100, 2)},
                                                     {test::AudioSectors(100, 3)}});
    }
    // Exit status of "cddb --image <disc> arguments"; its output goes to files.
    int Cddb(const std::string& arguments)
    {
        const std::string command = cli_.string() + " cddb --image '" + image_.string() + "' " +
                                    arguments + " >'" + (dir_ / "stdout").string() + "' 2>'" +
                                    (dir_ / "stderr").string() + "'";
        return WEXITSTATUS(std::system(command.c_str()));
    }
    std::string Stdout() const { return test::ReadFile(dir_ / "stdout"); }
    std::string Stderr() const { return test::ReadFile(dir_ / "stderr"); }

    test::TempDir dir_;
    fs::path cli_ = dir_ / "corvath-cli";
    fs::path image_;
};

TEST_F(CliCddbTest, PrintsWhatTheSettingsServerGives)
{
    const HttpTestServer server(
        test::CddbServer("200 rock 09000403 x\r\n", {{"rock 09000403", kEntry}}));
    test::WriteFile(dir_ / "options.ini",
                    "[QueryCDDB]\nServer=" + server.Address() + "\nScript=/cgi/cddb\n");
    ASSERT_EQ(Cddb(""), 0) << Stderr();
    EXPECT_EQ(Stdout(), "Artist=Motörhead\nAlbum=Überall\nYear=1999\nGenre=Rock\n"
                        "Track 1=Eins\nTrack 2=Zwei\nTrack 3=Drei\n");
    ASSERT_FALSE(server.RequestLines().empty());
    EXPECT_TRUE(server.RequestLines()[0].starts_with(
        "GET /cgi/cddb?cmd=cddb+query+09000403+3+150+250+350+6&"));
}

// A server's text cannot reach the terminal as commands: control characters (here ones that
// would set the window's title and clear the screen) and bytes that are no UTF-8 are shown as
// U+FFFD.
TEST_F(CliCddbTest, ControlCharactersFromTheServerAreNotPrinted)
{
    const HttpTestServer server(test::CddbServer(
        "200 rock 09000403 x\r\n",
        {{"rock 09000403", "DTITLE=A\x1b]0;owned\x07 / B\x9b\r\nTTITLE0=T\x1b[2J\r\n"}}));
    ASSERT_EQ(Cddb("--server " + server.Address()), 0) << Stderr();
    // ESC and BEL are blanks from the entry on; the C1 byte, no UTF-8, is printed as U+FFFD.
    EXPECT_EQ(Stdout(), "Artist=A ]0;owned\nAlbum=B\xEF\xBF\xBD\nTrack 1=T [2J\n");
}

TEST_F(CliCddbTest, OptionsReplaceTheServerAndScript)
{
    const HttpTestServer server(test::CddbServer(
        "200 rock 09000403 x\r\n", {{"rock 09000403", "DGENRE=rock\nTTITLE0=Only\n"}}));
    test::WriteFile(dir_ / "options.ini", "[QueryCDDB]\nServer=127.0.0.1:1\nScript=/nowhere\n");
    ASSERT_EQ(Cddb("--server " + server.Address() + " --script /~cddb/cddb.cgi"), 0) << Stderr();
    // The entry's "rock" is the list's "Rock".
    EXPECT_EQ(Stdout(), "Genre=Rock\nTrack 1=Only\n");
    EXPECT_TRUE(server.RequestLines().at(0).starts_with("GET /~cddb/cddb.cgi?"));
}

TEST_F(CliCddbTest, AGenreTheListLacksSelectsNone)
{
    const HttpTestServer server(test::CddbServer(
        "200 rock 09000403 x\r\n", {{"rock 09000403", "DGENRE=Rockabilly\nTTITLE0=Only\n"}}));
    ASSERT_EQ(Cddb("--server " + server.Address()), 0) << Stderr();
    EXPECT_EQ(Stdout(), "Genre=Rockabilly (no such genre: none selected)\nTrack 1=Only\n");
}

TEST_F(CliCddbTest, NoMatchFailuresWithTheirReasonsAndBadArguments)
{
    const HttpTestServer noMatch(test::CddbServer("202 No match found\r\n"));
    EXPECT_EQ(Cddb("--server " + noMatch.Address()), 1);
    EXPECT_EQ(Stdout(), "No match found\n");

    const HttpTestServer failing(HttpTestServer::ServerError());
    EXPECT_EQ(Cddb("--server " + failing.Address()), 1);
    EXPECT_EQ(Stderr(),
              "corvath-cli cddb: the query failed: " + failing.Address() + " answered HTTP 500\n");
    EXPECT_TRUE(Stdout().empty());

    const HttpTestServer refusing(test::CddbServer("500 Command syntax error\r\n"));
    EXPECT_EQ(Cddb("--server " + refusing.Address()), 1);
    EXPECT_EQ(Stderr(), "corvath-cli cddb: the query failed: " + refusing.Address() +
                            " answered: 500 Command syntax error\n");

    // Refused at once: the full time-outs of a real run never come into play.
    const std::string closed = HttpTestServer::ClosedAddress();
    EXPECT_EQ(Cddb("--server " + closed), 1);
    EXPECT_EQ(Stderr(), "corvath-cli cddb: the query failed: Could not connect to " + closed +
                            ": Couldn't connect to server\n");
    EXPECT_TRUE(Stdout().empty());

    EXPECT_EQ(Cddb("--drive 0"), 2);
    EXPECT_EQ(Cddb("--server"), 2);
}

} // namespace
} // namespace corvath
