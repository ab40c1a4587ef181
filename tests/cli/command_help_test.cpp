#include "support/cli_run.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace corvath {
namespace {

struct CommandOptions {
    const char* command;
    std::vector<const char*> options;
};

void PrintTo(const CommandOptions& command, std::ostream* out)
{
    *out << command.command;
}

// The line of the text that starts with start; "" when none does.
std::string LineStarting(const std::string& text, const std::string& start)
{
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with(start))
            return line;
    return {};
}

// What an option's line of the help says it does, "" when no line names it: the lines are
// "  -j, --jobs N     what it does".
std::string WhatOptionDoes(const std::string& help, const std::string& option)
{
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t gap = line.find("  ", 2);
        if (!line.starts_with("  -") || gap == std::string::npos)
            continue;
        std::istringstream names(line.substr(2, gap - 2));
        for (std::string name; names >> name;) {
            if (name == option || name == option + ",")
                return line.substr(line.find_first_not_of(' ', gap));
        }
    }
    return {};
}

class CliCommandHelpTest : public ::testing::TestWithParam<CommandOptions> {};

// Both spellings print the command's usage on standard output, each option on a line of its own
// with what it does, and the program's help shows the same synopsis.
TEST_P(CliCommandHelpTest, HelpListsEveryOptionAndSucceeds)
{
    const CommandOptions& command = GetParam();
    const std::string name = command.command;
    for (const char* help : {"--help", "-h"}) {
        SCOPED_TRACE(help);
        const test::CliRun run = test::RunCli(name + " " + help);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        const std::string usage = LineStarting(run.out, "Usage: corvath-cli " + name);
        ASSERT_FALSE(usage.empty()) << run.out;
        for (const char* option : command.options)
            EXPECT_NE(WhatOptionDoes(run.out, option), "") << option << " in\n" << run.out;
        const std::string overview = test::RunCli("--help").out;
        EXPECT_NE(overview.find(usage.substr(std::string("Usage: ").size())), std::string::npos)
            << usage << " is not in the program's help:\n"
            << overview;
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryCommand, CliCommandHelpTest,
    ::testing::Values(
        CommandOptions{"settings", {"-h"}},
        CommandOptions{"convert",
                       {"--to", "-o", "--rate", "--bits", "--channels", "--adpcm", "--artist",
                        "--album", "--year", "--genre", "--comment", "--name", "--replaygain", "-j",
                        "--jobs", "-q", "--quiet", "-h", "--help"}},
        CommandOptions{"drives", {"--image", "-h"}},
        CommandOptions{"toc", {"--drive", "--image", "--json", "-h"}},
        CommandOptions{"rip",
                       {"--drive", "--image", "--tracks", "--format", "--artist", "--album",
                        "--year", "--genre", "--comment", "--name", "--replaygain", "-j", "--jobs",
                        "-q", "--quiet", "-h"}},
        CommandOptions{"cddb", {"--drive", "--image", "--server", "--script", "-h"}},
        CommandOptions{"musicbrainz", {"--drive", "--image", "--server", "--release", "--json"}}),
    [](const auto& info) { return std::string(info.param.command); });

TEST(CliProgramHelpTest, TellsOfCommandHelpQuietJsonAndTheExitStatuses)
{
    const test::CliRun run = test::RunCli("--help");
    EXPECT_EQ(run.status, 0);
    for (const char* told : {"COMMAND --help", "--quiet", "--json", "Exit status:", "\n  0 ",
                             "\n  1 ", "\n  2 ", "\n  130 ", "143", "FORMAT: "})
        EXPECT_NE(run.out.find(told), std::string::npos) << told << " in\n" << run.out;
}

struct BadUsage {
    const char* arguments;
    const char* told; ///< on the error stream
};

void PrintTo(const BadUsage& usage, std::ostream* out)
{
    *out << '"' << usage.arguments << '"';
}

class CliBadUsageTest : public ::testing::TestWithParam<BadUsage> {};

// Bad usage ends with status 2 before any disc or file is touched, and says what was wrong.
TEST_P(CliBadUsageTest, EndsWithStatusTwo)
{
    const test::CliRun run = test::RunCli(GetParam().arguments);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find(GetParam().told), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Everywhere, CliBadUsageTest,
    ::testing::Values(BadUsage{"", "no command given"},
                      BadUsage{"frobnicate", "unknown command frobnicate"},
                      BadUsage{"settings --json", "takes no options"},
                      BadUsage{"convert --frob x.wav -o out", "--frob is an unknown option"},
                      BadUsage{"convert --to", "--to needs a value"},
                      BadUsage{"convert --to wav x.wav", "-o DIR is missing"},
                      // A value that reads like --help is a value.
                      BadUsage{"convert --artist --help x.wav -o out", "--to FORMAT is missing"},
                      BadUsage{"drives --image", "--image needs a value"},
                      BadUsage{"toc --tracks 1", "unknown option --tracks"},
                      BadUsage{"rip --quiet --tracks", "--tracks needs a value"},
                      BadUsage{"cddb --json", "unknown option --json"},
                      BadUsage{"musicbrainz --release", "--release needs a value"}));

} // namespace
} // namespace corvath
