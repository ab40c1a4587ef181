#pragma once

#include <string>

namespace corvath::test {

/// Runs a shell command and returns what it printed on standard output.
std::string RunCommand(const std::string& command);

} // namespace corvath::test
