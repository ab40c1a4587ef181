#include "platform/files/program_folder.h"
#include "support/audio_tools.h"
#include "support/background_run.h"
#include "support/disc_image.h"
#include "support/http_test_server.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>
#include <thread>

namespace corvath {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kOlderFile = "an older file of the same name";

// Whether any file below the folder has a partial name yet: the run is writing.
bool WritingBelow(const fs::path& folder)
{
    std::error_code ignored;
    for (fs::recursive_directory_iterator entry(folder, ignored), end; entry != end;
         entry.increment(ignored)) {
        if (entry->path().extension() == ".part")
            return true;
    }
    return false;
}

struct Interruption {
    const char* command;
    int signal;
};

void PrintTo(const Interruption& run, std::ostream* out)
{
    *out << run.command << " with signal " << run.signal;
}

// A run of convert or rip that gets a signal at a random moment while it writes: a caught
// signal ends it with 128 + the signal's number; whatever the signal, every FLAC file under a
// final name is whole or the older file that had the name before.
class InterruptedRunTest : public ::testing::TestWithParam<Interruption> {
protected:
    void SetUp() override
    {
        if (!test::HaveTool("flac") || !test::HaveTool("sox"))
            GTEST_SKIP() << "sox makes the input, flac checks the output";
        // The program's settings are read beside it.
        fs::copy_file(ProgramFolder() + "corvath-cli", cli_);
        test::WriteFile(dir_ / "options.ini", "[Rip]\nAccurateRipServer=http://" +
                                                  test::HttpTestServer::ClosedAddress() +
                                                  "/accuraterip\n");
        fs::create_directories(out_);
    }

    std::vector<std::string> Arguments(const std::string& command)
    {
        if (command == "convert") {
            const fs::path wav = dir_ / "long.wav";
            test::RunCommand("sox -n -b 16 -c 2 -r 44100 " + test::Quoted(wav) +
                             " synth 120 pinknoise");
            return {"convert", "--to", "flac", wav.string(), "-o", out_.string()};
        }
        std::vector<test::ImageTrack> tracks;
        for (uint32_t track = 0; track < 3; ++track)
            tracks.push_back({test::AudioSectors(45 * 75, track)});
        const fs::path image = test::WriteCueImage(dir_ / "disc", tracks);
        return {"rip", "--image", image.string(), "--format", "flac"};
    }

    test::TempDir dir_;
    const fs::path cli_ = dir_ / "corvath-cli";
    const fs::path out_ = dir_ / "Output"; // the rip's default output folder, convert's -o
};

TEST_P(InterruptedRunTest, LeavesOnlyWholeFilesUnderFinalNames)
{
    const Interruption interruption = GetParam();
    std::mt19937 random(static_cast<unsigned>(interruption.signal));
    const std::vector<std::string> arguments = Arguments(interruption.command);
    const fs::path older =
        out_ / (std::string(interruption.command) == "convert" ? "long.flac" : "Track01.flac");
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        fs::remove_all(out_);
        fs::create_directories(out_);
        test::WriteFile(older, kOlderFile);
        test::BackgroundRun program(cli_, arguments, dir_ / "stdout", dir_ / "stderr");
        ASSERT_TRUE(program.Started());
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (!WritingBelow(out_) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(2ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 300));
        program.Signal(interruption.signal);
        const int status = program.Wait();
        const bool completed = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (interruption.signal == SIGKILL) {
            EXPECT_TRUE(completed || WIFSIGNALED(status));
        } else if (!completed) {
            EXPECT_EQ(WEXITSTATUS(status), 128 + interruption.signal)
                << test::ReadFile(dir_ / "stderr");
        }

        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(out_)) {
            if (entry.path().extension() != ".flac")
                continue;
            const std::string bytes = test::ReadFile(entry.path());
            if (bytes == kOlderFile)
                continue;
            EXPECT_EQ(
                std::system(("flac -s -t " + test::Quoted(entry.path()) + " 2>/dev/null").c_str()),
                0)
                << entry.path() << " is not whole";
        }
        // The signal may come after the new file took the name (then it is whole above), but
        // the name never goes missing.
        EXPECT_TRUE(fs::exists(older)) << "the older file was removed";
    }
}

INSTANTIATE_TEST_SUITE_P(
    EverySignal, InterruptedRunTest,
    ::testing::Values(Interruption{"convert", SIGINT}, Interruption{"convert", SIGTERM},
                      Interruption{"convert", SIGHUP}, Interruption{"convert", SIGKILL},
                      Interruption{"rip", SIGINT}, Interruption{"rip", SIGTERM},
                      Interruption{"rip", SIGHUP}, Interruption{"rip", SIGKILL}));

struct StopStatus {
    int signal;
    int status;
};

void PrintTo(const StopStatus& stop, std::ostream* out)
{
    *out << "signal " << stop.signal;
}

class StoppedConvertTest : public ::testing::TestWithParam<StopStatus> {};

// A convert far from done when the signal comes ends with the status shells give a program the
// signal ended: 128 + the signal's number.
TEST_P(StoppedConvertTest, EndsWithTheSignalsStatus)
{
    if (!test::HaveTool("sox"))
        GTEST_SKIP() << "sox makes the input";
    const test::TempDir dir;
    const fs::path wav = dir / "long.wav";
    test::RunCommand("sox -n -b 16 -c 2 -r 44100 " + test::Quoted(wav) + " synth 30 pinknoise");
    // The same input many times over: minutes of work.
    std::vector<std::string> arguments{
        "convert", "--to", "flac", "-j", "1", "-o", (dir / "out").string()};
    arguments.insert(arguments.end(), 100, wav.string());
    test::BackgroundRun program(ProgramFolder() + "corvath-cli", arguments, dir / "stdout",
                                dir / "stderr");
    ASSERT_TRUE(program.Started());
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!WritingBelow(dir / "out") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(2ms);
    program.Signal(GetParam().signal);
    const int status = program.Wait();
    ASSERT_TRUE(WIFEXITED(status)) << "the program ends itself";
    EXPECT_EQ(WEXITSTATUS(status), GetParam().status) << test::ReadFile(dir / "stderr");
    EXPECT_NE(test::ReadFile(dir / "stderr").find("Stopped"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(IntAndTerm, StoppedConvertTest,
                         ::testing::Values(StopStatus{SIGINT, 130}, StopStatus{SIGTERM, 143}));

} // namespace
} // namespace corvath
