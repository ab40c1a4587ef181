#pragma once

#include <filesystem>
#include <string>

namespace corvath::test {

/// How a run of a program ended: its exit status and what it printed.
struct CliRun {
    int status = -1; ///< as the shell gives it: 128 + the signal's number for a killed one
    std::string out;
    std::string err;
};

/// corvath-cli as it is built, beside the test programs.
std::filesystem::path BuiltCli();

/// Runs program with arguments, words for the shell quoted where they need it; its output and
/// errors go to files, never to a terminal.
CliRun RunCli(const std::string& arguments, const std::filesystem::path& program = BuiltCli());

/// What python3 prints running lines, a program in which `d` holds json as json.load reads it;
/// "" when python3 cannot read it.
std::string PythonOfJson(const std::string& json, const std::string& lines);

} // namespace corvath::test
