#include "cli/command_help.h"

#include "cli/format_choices.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

namespace corvath::cli {

namespace {

const OptionHelp kHelp{"-h, --help", "", "print this help and exit"};
const OptionHelp kQuiet{"-q, --quiet", "", "print only what failed and the summary line"};
const OptionHelp kJson{"--json", "", "print the result as JSON"};
const OptionHelp kDrive{"--drive", "N",
                        "the disc in entry N of the drive list (default: the settings' drive)"};
const OptionHelp kImage{"--image", "FILE", "the disc of an image (.cue, .toc, .nrg), not a drive"};
const OptionHelp kReplayGain{
    "--replaygain", "MODE", "off, track or album: loudness tags of each file alone or as an album"};
const std::vector<OptionHelp> kDiscFields{
    {"--artist", "A", "the artist"},   {"--album", "A", "the album"},
    {"--year", "Y", "the year"},       {"--genre", "G", "the genre, by its exact name"},
    {"--comment", "C", "the comment"},
};

std::vector<OptionHelp> Options(std::initializer_list<std::vector<OptionHelp>> groups)
{
    std::vector<OptionHelp> options;
    for (const std::vector<OptionHelp>& group : groups)
        options.insert(options.end(), group.begin(), group.end());
    return options;
}

std::vector<CommandHelp> MakeCommandHelps()
{
    return {
        {"settings",
         "settings",
         "print where the settings files are and every setting as Section/Key=value",
         "",
         {kHelp}},
        {"convert", "convert --to FORMAT [OPTION]... IN... -o DIR",
         "convert WAV, MP3 and WMA files (IN...) into FORMAT files in DIR",
         "The tag options --artist to --comment fill what an input's own tags lack.",
         Options(
             {{{"--to", "FORMAT", "the format of the files made"},
               {"-o", "DIR", "the folder of the files made; made when missing"},
               {"--rate", "N", "the sample rate, 2001 to 999999"},
               {"--bits", "8|16|24", "the sample size"},
               {"--channels", "1|2", "the number of channels"},
               {"--adpcm", "", "WAV files as IMA ADPCM"}},
              kDiscFields,
              {{"--name", "PATTERN",
                "names below DIR from the inputs' tags: \"%artist%/%album%/%track% %title%\""},
               kReplayGain,
               {"-j, --jobs", "N", "convert up to N files at once (default: one per processor)"},
               kQuiet,
               kHelp}})},
        {"drives",
         "drives [--image FILE]...",
         "list the CD drives, then the disc images given",
         "",
         {{"--image", "FILE", "a disc image (.cue, .toc, .nrg) to list after the drives"}, kHelp}},
        {"toc",
         "toc [--drive N | --image FILE] [--json]",
         "print a disc's table of contents and identifiers",
         "",
         {kDrive, kImage, kJson, kHelp}},
        {"rip", "rip [--drive N | --image FILE] [OPTION]...",
         "rip a disc's tracks and encode them into the settings' output folder",
         "The tag options --artist to --comment replace what is stored for the disc.",
         Options({{kDrive,
                   kImage,
                   {"--tracks", "LIST", "the tracks, such as 1,3-5; 0 is a hidden first track"},
                   {"--format", "FORMAT[,...]",
                    "the formats written, each below a folder of its own when several"}},
                  kDiscFields,
                  {{"--name", "PATTERN",
                    "names below the output folder: \"%albumartist%/%album%/%track% %title%\""},
                   kReplayGain,
                   {"-j, --jobs", "N", "up to N tasks at once (default: one per processor)"},
                   kQuiet,
                   kHelp}})},
        {"cddb",
         "cddb [--drive N | --image FILE] [--server HOST] [--script PATH]",
         "look a disc up on the CDDB server and print what would be applied",
         "",
         {kDrive,
          kImage,
          {"--server", "HOST", "the CDDB server instead of the settings' one"},
          {"--script", "PATH", "the server's CGI script instead of the settings' one"},
          kHelp}},
        {"musicbrainz",
         "musicbrainz [--drive N | --image FILE] [--server URL] [--release N] [--json]",
         "look a disc up on MusicBrainz and list the releases",
         "",
         {kDrive,
          kImage,
          {"--server", "URL", "the MusicBrainz server instead of the settings' one"},
          {"--release", "N", "store release N of the list for the disc, for rip to use"},
          kJson,
          kHelp}},
    };
}

// "--a, --b": each name.
std::vector<std::string_view> Names(std::string_view names)
{
    std::vector<std::string_view> each;
    while (!names.empty()) {
        const std::size_t comma = names.find(", ");
        each.push_back(names.substr(0, comma));
        names.remove_prefix(comma == names.npos ? names.size() : comma + 2);
    }
    return each;
}

} // namespace

const std::vector<CommandHelp>& CommandHelps()
{
    static const std::vector<CommandHelp> commands = MakeCommandHelps();
    return commands;
}

const CommandHelp* CommandHelpOf(std::string_view name)
{
    const auto found = std::ranges::find(CommandHelps(), name, &CommandHelp::name);
    return found == CommandHelps().end() ? nullptr : &*found;
}

bool AsksForHelp(const CommandHelp& command, std::span<const std::string> args)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h")
            return true;
        if (TakesValue(command.name, args[i]))
            ++i;
    }
    return false;
}

const OptionHelp* OptionOf(std::string_view command, std::string_view arg)
{
    const CommandHelp* help = CommandHelpOf(command);
    if (help == nullptr)
        return nullptr;
    const auto found = std::ranges::find_if(help->options, [arg](const OptionHelp& option) {
        const std::vector<std::string_view> names = Names(option.names);
        return std::ranges::find(names, arg) != names.end();
    });
    return found == help->options.end() ? nullptr : &*found;
}

std::string_view LongName(const OptionHelp& option)
{
    return Names(option.names).back();
}

bool TakesValue(std::string_view command, std::string_view arg)
{
    const OptionHelp* option = OptionOf(command, arg);
    return option != nullptr && !option->value.empty();
}

std::string CommandUsage(const CommandHelp& command)
{
    constexpr std::size_t kColumn = 26;
    std::string summary(command.summary);
    summary[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(summary[0])));
    std::string text = "Usage: corvath-cli " + std::string(command.synopsis) + "\n" + summary +
                       ".\n" + (command.notes.empty() ? "" : std::string(command.notes) + '\n') +
                       "\nOptions:\n";
    bool namesFormats = false;
    for (const OptionHelp& option : command.options) {
        std::string left = "  " + std::string(option.names);
        if (!option.value.empty())
            left += " " + std::string(option.value);
        left.resize(std::max(kColumn, left.size() + 2), ' ');
        text += left + std::string(option.what) + '\n';
        namesFormats = namesFormats || option.value.starts_with("FORMAT");
    }
    if (namesFormats)
        text += "\nFORMAT: " + FormatChoices() + '\n';
    return text;
}

std::string ShortUsage(std::string_view command)
{
    const CommandHelp* help = CommandHelpOf(command);
    return "Usage: corvath-cli " + std::string(help != nullptr ? help->synopsis : command) +
           "\nTry 'corvath-cli " + std::string(command) + " --help' for its options.\n";
}

std::string CommandsOverview()
{
    std::string text;
    for (const CommandHelp& command : CommandHelps()) {
        std::string name = "  " + std::string(command.name);
        name.resize(14, ' ');
        text += name + std::string(command.summary) + "\n              corvath-cli " +
                std::string(command.synopsis) + '\n';
    }
    return text;
}

} // namespace corvath::cli
