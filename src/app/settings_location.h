#pragma once

#include <filesystem>
#include <string>

namespace corvath {

/// Where the settings files live and what the output folder defaults to.
struct SettingsLocation {
    std::filesystem::path optionsFile;  ///< "options.ini"
    std::filesystem::path discInfoFile; ///< "cd.dat"
    std::string defaultOutputFolder;

    /// The files beside the executable and the output folder "Output" there when that folder
    /// is writable and not an installation's (portable use); otherwise the user's configuration
    /// folder and the user's music folder + "/Corvath".
    static SettingsLocation ForProgram();

    /// Both files and the output folder inside one folder (tests, portable set-ups).
    static SettingsLocation InFolder(const std::filesystem::path& folder);
};

} // namespace corvath
