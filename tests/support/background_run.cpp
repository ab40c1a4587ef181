#include "support/background_run.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace corvath::test {

BackgroundRun::BackgroundRun(const std::filesystem::path& program,
                             const std::vector<std::string>& arguments,
                             const std::filesystem::path& output,
                             const std::filesystem::path& errors)
{
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
}

BackgroundRun::~BackgroundRun()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        Wait();
    }
}

void BackgroundRun::Signal(int signal) const
{
    if (pid_ > 0)
        ::kill(pid_, signal);
}

int BackgroundRun::Wait()
{
    int status = 0;
    if (pid_ > 0 && ::waitpid(pid_, &status, 0) == pid_)
        pid_ = -1;
    return status;
}

} // namespace corvath::test
