#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvath::cli {

/// "-j4" and "--jobs=4" carry the job count in the same word: the count's text, when arg does.
std::optional<std::string_view> AttachedJobs(std::string_view arg);

/// The arguments with every attached job count split off into a word of its own after "-j".
std::vector<std::string> WithJobsApart(std::span<const std::string> args);

/// The job count value names, from 1 to the most that make sense; nothing, with the reason on
/// err, for anything else.
std::optional<int> ParseJobs(std::string_view command, const std::string& value, std::ostream& err);

} // namespace corvath::cli
