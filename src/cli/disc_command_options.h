#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvath::cli {

/// The options of a command on one disc: the disc, and text options by name.
struct DiscCommandOptions {
    std::optional<std::size_t> drive;
    std::string image;
    std::map<std::string, std::string, std::less<>> values; ///< by option name, "--server"
};

/// Reads "--drive N", "--image FILE" and the named options, each followed by its value.
/// Nothing, with the reason and the usage on err, for anything else or both disc options.
std::optional<DiscCommandOptions>
ParseDiscCommandOptions(std::string_view command, std::span<const std::string> args,
                        const std::vector<std::string_view>& named, std::string_view usage,
                        std::ostream& err);

} // namespace corvath::cli
