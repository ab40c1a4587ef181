#include "support/cli_run.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace corvath {
namespace {

namespace fs = std::filesystem;

constexpr const char* kBashCompletion = "/usr/share/bash-completion/bash_completion";

struct Completion {
    std::string words; ///< the words typed, after the program's; the last one is completed
    std::vector<std::string> offered;
};

void PrintTo(const Completion& completion, std::ostream* out)
{
    *out << '"' << completion.words << '"';
}

// What bash offers for the last of the words, as the completion script gives it, one a line.
std::vector<std::string> Offered(const std::string& words, const fs::path& folder)
{
    const std::string script = "source " + test::Quoted(kBashCompletion) + "; source " +
                               test::Quoted(CORVATH_COMPLETION_SCRIPT) + "; cd " +
                               test::Quoted(folder) + "; COMP_WORDS=(" +
                               test::Quoted(test::BuiltCli()) + " " + words +
                               "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _corvath_cli; "
                               "printf '%s\\n' \"${COMPREPLY[@]}\"";
    test::WriteFile(folder / "complete.sh", script);
    std::istringstream lines(test::RunCommand("bash " + test::Quoted(folder / "complete.sh")));
    std::vector<std::string> offered;
    for (std::string line; std::getline(lines, line);)
        if (!line.empty())
            offered.push_back(line);
    std::ranges::sort(offered);
    return offered;
}

// The completion offers the commands, each command's options, the format names, disc images
// and folders, in a folder holding a few files of each kind.
class CliCompletionTest : public ::testing::TestWithParam<Completion> {
protected:
    void SetUp() override
    {
        if (!fs::exists(kBashCompletion))
            GTEST_SKIP() << "bash-completion is not installed";
        for (const char* file : {"disc.cue", "disc.bin", "notes.txt", "song.wav", "complete.sh"})
            test::WriteFile(dir_ / file, "");
        fs::create_directory(dir_ / "music");
    }
    test::TempDir dir_;
};

TEST_P(CliCompletionTest, OffersWhatFits)
{
    EXPECT_EQ(Offered(GetParam().words, dir_.path()), GetParam().offered);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliCompletionTest,
    ::testing::Values(Completion{"ri", {"rip"}}, Completion{"c", {"cddb", "convert"}},
                      Completion{"--v", {"--verbose", "--version"}},
                      Completion{"--verbose to", {"toc"}}, Completion{"rip --q", {"--quiet"}},
                      Completion{"toc --", {"--drive", "--help", "--image", "--json"}},
                      Completion{"convert --to fl", {"flac"}},
                      Completion{"convert --to o", {"ogg", "opus"}},
                      Completion{"rip --format flac,m", {"flac,mp3"}},
                      Completion{"rip --replaygain a", {"album"}},
                      Completion{"rip --image d", {"disc.bin", "disc.cue"}},
                      Completion{"convert --to wav -o ''", {"music"}},
                      Completion{"convert --to wav s", {"song.wav"}},
                      Completion{"convert --name ''", {}}));

} // namespace
} // namespace corvath
