#include "platform/files/program_folder.h"

#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace corvath {

namespace {

std::filesystem::path HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr)
        return user->pw_dir;
    return "/";
}

// The value of one entry of user-dirs.dirs: XDG_MUSIC_DIR="$HOME/Music".
std::filesystem::path XdgUserDir(const std::string& name)
{
    std::ifstream in(UserConfigFolder() / "user-dirs.dirs");
    const std::string prefix = name + "=\"";
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with(prefix) || !line.ends_with('"'))
            continue;
        std::string value = line.substr(prefix.size(), line.size() - prefix.size() - 1);
        if (value.starts_with("$HOME"))
            return HomeFolder().string() + value.substr(5);
        if (value.starts_with('/'))
            return value;
    }
    return {};
}

} // namespace

std::string ProgramFolder()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return std::filesystem::current_path().string() + "/";
    return executable.parent_path().string() + "/";
}

std::filesystem::path InstalledLibraryFolder(const std::filesystem::path& programFolder)
{
    return (programFolder / "../lib/corvath").lexically_normal();
}

bool IsFolderWritable(const std::filesystem::path& folder)
{
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::filesystem::path UserConfigFolder()
{
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/')
        return config;
    return HomeFolder() / ".config";
}

std::filesystem::path UserMusicFolder()
{
    auto music = XdgUserDir("XDG_MUSIC_DIR");
    return music.empty() ? HomeFolder() / "Music" : music;
}

} // namespace corvath
