#include "cli/disc_command_options.h"

#include "cli/parse_number.h"

#include <algorithm>

namespace corvath::cli {

std::optional<DiscCommandOptions>
ParseDiscCommandOptions(std::string_view command, std::span<const std::string> args,
                        const std::vector<std::string_view>& named, std::string_view usage,
                        std::ostream& err)
{
    DiscCommandOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (i + 1 == args.size()) {
            err << "corvath-cli " << command << ": " << arg << " needs a value\n" << usage;
            return std::nullopt;
        }
        const std::string& value = args[++i];
        if (arg == "--drive") {
            options.drive = ParseNumber<std::size_t>(value);
            if (!options.drive) {
                err << "corvath-cli " << command << ": --drive takes a drive list position\n";
                return std::nullopt;
            }
        } else if (arg == "--image") {
            options.image = value;
        } else if (std::ranges::find(named, arg) != named.end()) {
            options.values[arg] = value;
        } else {
            err << "corvath-cli " << command << ": unknown option " << arg << '\n' << usage;
            return std::nullopt;
        }
    }
    if (options.drive && !options.image.empty()) {
        err << "corvath-cli " << command << ": give --drive or --image, not both\n";
        return std::nullopt;
    }
    return options;
}

} // namespace corvath::cli
