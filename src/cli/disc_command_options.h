#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <span>
#include <string>
#include <string_view>

namespace corvath::cli {

/// The options of a command on one disc: the disc, the other options by their long names.
struct DiscCommandOptions {
    std::optional<std::size_t> drive;
    std::string image;
    std::map<std::string, std::string, std::less<>> values; ///< by option name, "--server"
    std::set<std::string, std::less<>> switches;            ///< those given, "--json"

    bool Has(std::string_view name) const { return switches.contains(name); }
};

/// Reads "--drive N", "--image FILE" and the command's other options as its help lists them,
/// each followed by its value when it takes one. Nothing, with the reason and the usage on err,
/// for anything else or both disc options.
std::optional<DiscCommandOptions> ParseDiscCommandOptions(std::string_view command,
                                                          std::span<const std::string> args,
                                                          std::ostream& err);

} // namespace corvath::cli
