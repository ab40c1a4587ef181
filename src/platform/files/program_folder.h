#pragma once

#include <filesystem>

namespace corvath {

/// The folder of the running executable, with a trailing "/".
std::string ProgramFolder();

/// True when the current user may create files in the folder.
bool IsFolderWritable(const std::filesystem::path& folder);

/// The user's configuration folder ($XDG_CONFIG_HOME, else ~/.config).
std::filesystem::path UserConfigFolder();

/// The user's music folder (XDG_MUSIC_DIR of ~/.config/user-dirs.dirs, else ~/Music).
std::filesystem::path UserMusicFolder();

} // namespace corvath
