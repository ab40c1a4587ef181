#include "cli/disc_command_options.h"

#include "cli/command_help.h"
#include "cli/parse_number.h"

namespace corvath::cli {

std::optional<DiscCommandOptions> ParseDiscCommandOptions(std::string_view command,
                                                          std::span<const std::string> args,
                                                          std::ostream& err)
{
    DiscCommandOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const OptionHelp* option = OptionOf(command, arg);
        if (option == nullptr) {
            err << "corvath-cli " << command << ": unknown option " << arg << '\n'
                << ShortUsage(command);
            return std::nullopt;
        }
        const std::string_view name = LongName(*option);
        if (option->value.empty()) {
            options.switches.emplace(name);
            continue;
        }
        if (i + 1 == args.size()) {
            err << "corvath-cli " << command << ": " << arg << " needs a value\n"
                << ShortUsage(command);
            return std::nullopt;
        }
        const std::string& value = args[++i];
        if (name == "--drive") {
            options.drive = ParseNumber<std::size_t>(value);
            if (!options.drive) {
                err << "corvath-cli " << command << ": --drive takes a drive list position\n";
                return std::nullopt;
            }
        } else if (name == "--image") {
            options.image = value;
        } else {
            options.values[std::string(name)] = value;
        }
    }
    if (options.drive && !options.image.empty()) {
        err << "corvath-cli " << command << ": give --drive or --image, not both\n";
        return std::nullopt;
    }
    return options;
}

} // namespace corvath::cli
