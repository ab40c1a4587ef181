// corvath-cli: the program's engine from the command line.

#include "audio/model/au_output.h"
#include "audio/threads/worker.h"
#include "cli/cddb_command.h"
#include "cli/convert_command.h"
#include "cli/drives_command.h"
#include "cli/format_choices.h"
#include "cli/musicbrainz_command.h"
#include "cli/rip_command.h"
#include "cli/settings_command.h"
#include "codecs/startup_libraries.h"
#include "platform/acm/ffmpeg_library.h"

#include <chrono>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kUsage = R"(Usage: corvath-cli [--verbose] COMMAND
       corvath-cli --help | --version

--verbose shows the media library's own messages about the files it reads.

Commands:
  settings    print where the settings files are and every setting as Section/Key=value
  convert     convert WAV, MP3 and WMA files: convert --to FORMAT [--rate N] [--bits 8|16|24]
              [--channels 1|2] [--adpcm] [--artist A] [--album A] [--year Y] [--genre G]
              [--comment C] [-j N] IN... -o DIR
  drives      list the CD drives, then the disc images given: drives [--image FILE]...
  toc         print a disc's table of contents and identifiers: toc [--drive N | --image FILE]
  rip         rip a disc's tracks and encode them: rip [--drive N | --image FILE] [--tracks 1,3-5]
              [--format FORMAT] [--artist A] [--album A] [--year Y] [--genre G]
              [--comment C] [-j N]
  cddb        look a disc up on the CDDB server and print what would be applied:
              cddb [--drive N | --image FILE] [--server HOST] [--script PATH]
  musicbrainz look a disc up on MusicBrainz and list the releases; --release N stores one for
              the disc: musicbrainz [--drive N | --image FILE] [--server URL] [--release N]

FORMAT: )";

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string_view> args(argv, argv + argc);
    const bool verbose = args.size() > 1 && args[1] == "--verbose";
    if (verbose)
        args.erase(args.begin() + 1);
    corvath::ShowMediaLibraryLog(verbose);
    const std::string_view command = args.size() > 1 ? args[1] : "";
    // A short run pays for nothing it does not use: each codec library is opened when first
    // needed, and a finished file is reported without the windows' pause.
    const corvath::CodecLibrariesOnFirstUse codecLibraries;
    // A stopped command's workers end before the program's statics go.
    const corvath::LeftWorkersWait leftWorkers;
    corvath::TAuOutput::SetDefaultDoneDelay(std::chrono::milliseconds(0));
    try {
        if (command == "--help" || command == "-h") {
            std::cout << kUsage << corvath::cli::FormatChoices() << '\n';
            return 0;
        }
        if (command == "--version") {
            std::cout << "corvath-cli " << CORVATH_VERSION << '\n';
            return 0;
        }
        if (command == "settings" && args.size() == 2)
            return corvath::cli::RunSettings(std::cout, std::cerr);
        if (command == "convert") {
            const std::vector<std::string> rest(args.begin() + 2, args.end());
            return corvath::cli::RunConvert(rest, std::cout, std::cerr);
        }
        if (command == "drives" || command == "toc") {
            const std::vector<std::string> rest(args.begin() + 2, args.end());
            return command == "drives" ? corvath::cli::RunDrives(rest, std::cout, std::cerr)
                                       : corvath::cli::RunToc(rest, std::cout, std::cerr);
        }
        if (command == "rip") {
            const std::vector<std::string> rest(args.begin() + 2, args.end());
            return corvath::cli::RunRip(rest, std::cout, std::cerr);
        }
        if (command == "cddb") {
            const std::vector<std::string> rest(args.begin() + 2, args.end());
            return corvath::cli::RunCddb(rest, std::cout, std::cerr);
        }
        if (command == "musicbrainz") {
            const std::vector<std::string> rest(args.begin() + 2, args.end());
            return corvath::cli::RunMusicBrainz(rest, std::cout, std::cerr);
        }
    } catch (const std::exception& error) {
        std::cerr << "corvath-cli: " << error.what() << '\n';
        return 1;
    }
    std::cerr << (command.empty() ? "corvath-cli: no command given\n"
                                  : "corvath-cli: unknown command or arguments\n")
              << kUsage << corvath::cli::FormatChoices() << '\n';
    return 2;
}
