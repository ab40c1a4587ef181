#include "cli/jobs_option.h"

#include "app/conversion_lanes.h"
#include "cli/parse_number.h"

#include <cstdint>

namespace corvath::cli {

std::optional<std::string_view> AttachedJobs(std::string_view arg)
{
    if (arg.starts_with("-j") && arg.size() > 2)
        return arg.substr(2);
    if (arg.starts_with("--jobs="))
        return arg.substr(7);
    return std::nullopt;
}

std::vector<std::string> WithJobsApart(std::span<const std::string> args)
{
    std::vector<std::string> apart;
    for (const std::string& arg : args) {
        if (const std::optional<std::string_view> count = AttachedJobs(arg)) {
            apart.emplace_back("-j");
            apart.emplace_back(*count);
        } else {
            apart.push_back(arg);
        }
    }
    return apart;
}

std::optional<int> ParseJobs(std::string_view command, const std::string& value, std::ostream& err)
{
    const std::optional<uint32_t> jobs = ParseNumber<uint32_t>(value);
    if (!jobs || *jobs == 0 || *jobs > static_cast<uint32_t>(kMostConversionLanes)) {
        err << "corvath-cli " << command << ": -j takes a number from 1 to " << kMostConversionLanes
            << ", not " << value << '\n';
        return std::nullopt;
    }
    return static_cast<int>(*jobs);
}

} // namespace corvath::cli
