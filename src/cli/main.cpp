// corvath-cli: the program's engine from the command line.

#include "audio/model/au_output.h"
#include "audio/threads/worker.h"
#include "cli/cddb_command.h"
#include "cli/command_help.h"
#include "cli/convert_command.h"
#include "cli/drives_command.h"
#include "cli/format_choices.h"
#include "cli/musicbrainz_command.h"
#include "cli/rip_command.h"
#include "cli/settings_command.h"
#include "codecs/output_format.h"
#include "codecs/startup_libraries.h"
#include "platform/acm/ffmpeg_library.h"

#include <chrono>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::string_view kUsage = R"(Usage: corvath-cli [--verbose] COMMAND [OPTION]...
       corvath-cli COMMAND --help
       corvath-cli --help | --version

COMMAND --help (or -h) prints the command's options, one a line.
--verbose shows the media library's own messages about the files it reads.
rip and convert redraw their progress in place on a terminal and print one line per finished
track or file otherwise; their --quiet (-q) prints only what failed and the summary line.
toc --json and musicbrainz --json print JSON for programs to read.

Commands:
)";

constexpr std::string_view kExitStatuses = R"(
Exit status:
  0    all done
  1    some tracks or files failed, or a lookup failed or found nothing, or a disc, image or
       folder could not be used
  2    bad usage: an unknown command or option, a missing or wrong value
  130  stopped by SIGINT (Ctrl+C); 143 by SIGTERM, 129 by SIGHUP: what was not finished is
       left as .part files
)";

std::string ProgramUsage()
{
    return std::string(kUsage) + corvath::cli::CommandsOverview() +
           "\nFORMAT: " + corvath::cli::FormatChoices() + '\n' + std::string(kExitStatuses);
}

// The command's result; -1 for no such command.
int RunCommand(std::string_view command, const std::vector<std::string>& args,
               corvath::cli::ProgressStyle progress)
{
    using namespace corvath::cli;
    if (command == "settings") {
        if (args.empty())
            return RunSettings(std::cout, std::cerr);
        std::cerr << "corvath-cli settings: takes no options\n" << ShortUsage(command);
        return 2;
    }
    if (command == "convert")
        return RunConvert(args, std::cout, std::cerr, progress);
    if (command == "drives")
        return RunDrives(args, std::cout, std::cerr);
    if (command == "toc")
        return RunToc(args, std::cout, std::cerr);
    if (command == "rip")
        return RunRip(args, std::cout, std::cerr, progress);
    if (command == "cddb")
        return RunCddb(args, std::cout, std::cerr);
    if (command == "musicbrainz")
        return RunMusicBrainz(args, std::cout, std::cerr);
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string_view> args(argv, argv + argc);
    const bool verbose = args.size() > 1 && args[1] == "--verbose";
    if (verbose)
        args.erase(args.begin() + 1);
    corvath::ShowMediaLibraryLog(verbose);
    const std::string_view command = args.size() > 1 ? args[1] : "";
    const std::vector<std::string> rest(args.begin() + std::min<std::size_t>(args.size(), 2),
                                        args.end());
    // Progress is drawn in place for a person watching, and line by line for a file or pipe.
    const auto progress = ::isatty(STDOUT_FILENO) == 1 ? corvath::cli::ProgressStyle::InPlace
                                                       : corvath::cli::ProgressStyle::Lines;
    // A short run pays for nothing it does not use: each codec library is opened when first
    // needed, and a finished file is reported without the windows' pause.
    const corvath::CodecLibrariesOnFirstUse codecLibraries;
    // A stopped command's workers end before the program's statics go.
    const corvath::LeftWorkersWait leftWorkers;
    corvath::TAuOutput::SetDefaultDoneDelay(std::chrono::milliseconds(0));
    try {
        if (command == "--help" || command == "-h") {
            std::cout << ProgramUsage();
            return 0;
        }
        if (command == "--version") {
            std::cout << "corvath-cli " << CORVATH_VERSION << '\n';
            return 0;
        }
        // For the shell's completion: the names --to and --format take.
        if (command == "--list-formats") {
            for (const corvath::OutputFormatInfo& format : corvath::OutputFormats())
                std::cout << format.extension << '\n';
            return 0;
        }
        if (const corvath::cli::CommandHelp* help = corvath::cli::CommandHelpOf(command);
            help != nullptr && corvath::cli::AsksForHelp(*help, rest)) {
            std::cout << corvath::cli::CommandUsage(*help);
            return 0;
        }
        if (const int status = RunCommand(command, rest, progress); status >= 0)
            return status;
    } catch (const std::exception& error) {
        std::cerr << "corvath-cli: " << error.what() << '\n';
        return 1;
    }
    std::cerr << (command.empty() ? "corvath-cli: no command given\n"
                                  : "corvath-cli: unknown command " + std::string(command) + '\n')
              << ProgramUsage();
    return 2;
}
