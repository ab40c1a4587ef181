#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace corvath::test {

/// A program running beside the test, its standard output and error going to files.
class BackgroundRun {
public:
    BackgroundRun(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                  const std::filesystem::path& output, const std::filesystem::path& errors);
    /// Kills the program when it still runs.
    ~BackgroundRun();
    BackgroundRun(const BackgroundRun&) = delete;
    BackgroundRun& operator=(const BackgroundRun&) = delete;

    bool Started() const { return pid_ > 0; }
    void Signal(int signal) const;
    /// Waits for the end; the status as waitpid gives it.
    int Wait();

private:
    pid_t pid_ = -1;
};

} // namespace corvath::test
