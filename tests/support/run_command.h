#pragma once

#include <filesystem>
#include <string>

namespace corvath::test {

/// Runs a shell command and returns what it printed on standard output.
std::string RunCommand(const std::string& command);

/// The path in single quotes, for a shell command.
std::string Quoted(const std::filesystem::path& path);

} // namespace corvath::test
