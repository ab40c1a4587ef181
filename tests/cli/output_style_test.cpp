#include "support/audio_tools.h"
#include "support/cli_run.h"
#include "support/disc_image.h"
#include "support/http_test_server.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace corvath {
namespace {

namespace fs = std::filesystem;

long LineCount(const std::string& text)
{
    return std::ranges::count(text, '\n');
}

// How convert and rip print into a file, quietly, and on a terminal.
class CliOutputStyleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::HaveTool("sox"))
            GTEST_SKIP() << "sox makes the inputs";
        for (const char* name : {"a", "b", "c"})
            inputs_ += test::Quoted(test::Sox(dir_ / (std::string(name) + ".wav"),
                                              "-b 16 -c 2 -r 44100", "2", "pinknoise")) +
                       " ";
    }
    std::string Convert(const std::string& options) const
    {
        return "convert --to flac " + options + " " + inputs_ + "-o " + test::Quoted(dir_ / "out");
    }

    test::TempDir dir_;
    std::string inputs_; // three two-second WAV files, quoted for the shell
};

// Into a file or a pipe: a line for each file done, none for the progress, and no carriage
// return anywhere; the count closes the run.
TEST_F(CliOutputStyleTest, IntoAFileOneLinePerFileWithoutCarriageReturns)
{
    for (const char* jobs : {"-j 1", "-j 3"}) {
        SCOPED_TRACE(jobs);
        const test::CliRun run = test::RunCli(Convert(jobs));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(LineCount(run.out), 4) << run.out;
        for (const char* name : {"a", "b", "c"})
            EXPECT_NE(run.out.find((dir_ / name).string() + ".wav: 100% -> "), std::string::npos)
                << run.out;
        EXPECT_TRUE(run.out.ends_with("\n3 of 3 files converted\n")) << run.out;
        EXPECT_EQ(run.out.find('\r'), std::string::npos) << run.out;
        EXPECT_EQ(run.err.find('\r'), std::string::npos) << run.err;
    }
}

// Quiet: only what failed, on the error stream, and the count.
TEST_F(CliOutputStyleTest, QuietPrintsOnlyFailuresAndTheSummary)
{
    test::WriteFile(dir_ / "broken.wav", "RIFF....WAVEjunk");
    for (const char* quiet : {"--quiet", "-q"}) {
        const test::CliRun run =
            test::RunCli(Convert(std::string(quiet) + " " + test::Quoted(dir_ / "broken.wav")));
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "3 of 4 files converted, 1 failed\n");
        EXPECT_EQ(LineCount(run.err), 1) << run.err;
        EXPECT_NE(run.err.find("broken.wav: "), std::string::npos) << run.err;
    }
}

// A rip prints the same way: quietly, only its summary line.
TEST_F(CliOutputStyleTest, AQuietRipPrintsOnlyItsSummary)
{
    const test::TempDir program;
    fs::copy_file(test::BuiltCli(), program / "corvath-cli"); // reads the settings beside it
    test::WriteFile(program / "options.ini", "[Rip]\nAccurateRipServer=http://" +
                                                 test::HttpTestServer::ClosedAddress() + "\n");
    const fs::path image = test::WriteCueImage(
        dir_ / "disc", {{test::AudioSectors(30, 1)}, {test::AudioSectors(30, 2)}});
    const std::string rip = "rip --image " + test::Quoted(image) + " --format wav";

    const test::CliRun loud = test::RunCli(rip, program / "corvath-cli");
    ASSERT_EQ(loud.status, 0) << loud.err;
    EXPECT_EQ(loud.out.find('\r'), std::string::npos) << loud.out;
    const std::string summary = loud.out.substr(loud.out.rfind('\n', loud.out.size() - 2) + 1);
    const test::CliRun quiet = test::RunCli(rip + " -q", program / "corvath-cli");
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(quiet.out, summary) << loud.out;
    EXPECT_EQ(LineCount(quiet.out), 1);
}

// On a terminal the line of the file under way is redrawn in place.
TEST_F(CliOutputStyleTest, OnATerminalTheProgressIsRedrawnInPlace)
{
    if (!test::HaveTool("script"))
        GTEST_SKIP() << "script gives the program a terminal";
    const std::string command =
        test::Quoted(test::BuiltCli()) + " " + Convert("-j 1") + " </dev/null";
    const std::string shown = test::RunCommand("script -qec \"" + command + "\" /dev/null");
    for (const char* name : {"a", "b", "c"})
        EXPECT_NE(shown.find('\r' + (dir_ / name).string() + ".wav: 100% -> "), std::string::npos)
            << shown;
}

} // namespace
} // namespace corvath
