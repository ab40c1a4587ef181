#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvath::cli {

/// One option of a command as its help lists it: "-j, --jobs" with its value "N".
struct OptionHelp {
    std::string_view names; ///< ", " between the names of the same option
    std::string_view value; ///< what follows it, "" for a switch
    std::string_view what;  ///< one line
};

/// A command's usage: the one table that both the command's --help and the program's --help
/// are printed from.
struct CommandHelp {
    std::string_view name;
    std::string_view synopsis; ///< after "corvath-cli "
    std::string_view summary;  ///< one line
    std::string_view notes;    ///< a sentence more for the command's own help; may be empty
    std::vector<OptionHelp> options;
};

/// Every command, in the order the program's help lists them.
const std::vector<CommandHelp>& CommandHelps();

/// The command called name; nullptr when there is none.
const CommandHelp* CommandHelpOf(std::string_view name);

/// Whether the arguments ask for help: "--help" or "-h" where an option, not a value, is due.
bool AsksForHelp(const CommandHelp& command, std::span<const std::string> args);

/// The command's option that arg names ("-j" and "--jobs" the same); nullptr when it names none.
const OptionHelp* OptionOf(std::string_view command, std::string_view arg);

/// The option's last name, by which it is known whatever name it was given by: "--jobs".
std::string_view LongName(const OptionHelp& option);

/// Whether arg is an option of the command that takes a value.
bool TakesValue(std::string_view command, std::string_view arg);

/// The command's full help: the synopsis, the summary and every option on a line of its own.
std::string CommandUsage(const CommandHelp& command);

/// The synopsis and where to find more, for the error stream after bad arguments.
std::string ShortUsage(std::string_view command);

/// The commands, each with its summary and synopsis, for the program's help.
std::string CommandsOverview();

} // namespace corvath::cli
