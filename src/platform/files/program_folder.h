#pragma once

#include <filesystem>

namespace corvath {

/// The folder of the running executable, with a trailing "/".
std::string ProgramFolder();

/// Where an installation puts the libraries that are the program's own and no one else's:
/// <programFolder>/../lib/corvath. A program beside such a folder is installed, not portable.
std::filesystem::path InstalledLibraryFolder(const std::filesystem::path& programFolder);

/// True when the current user may create files in the folder.
bool IsFolderWritable(const std::filesystem::path& folder);

/// The user's configuration folder ($XDG_CONFIG_HOME, else ~/.config).
std::filesystem::path UserConfigFolder();

/// The user's music folder (XDG_MUSIC_DIR of ~/.config/user-dirs.dirs, else ~/Music).
std::filesystem::path UserMusicFolder();

} // namespace corvath
