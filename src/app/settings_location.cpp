#include "app/settings_location.h"

#include "platform/files/program_folder.h"

namespace corvath {

SettingsLocation SettingsLocation::InFolder(const std::filesystem::path& folder)
{
    std::string prefix = folder.string();
    if (!prefix.ends_with('/'))
        prefix += '/';
    return {prefix + "options.ini", prefix + "cd.dat", prefix + "Output"};
}

SettingsLocation SettingsLocation::ForProgram()
{
    const std::string programFolder = ProgramFolder();
    // An installed program run by root must not fill /usr/bin with settings and output.
    std::error_code ignored;
    const bool installed = std::filesystem::exists(InstalledLibraryFolder(programFolder), ignored);
    if (!installed && IsFolderWritable(programFolder))
        return InFolder(programFolder);
    const auto configFolder = UserConfigFolder() / "corvath";
    return {configFolder / "options.ini", configFolder / "cd.dat",
            (UserMusicFolder() / "Corvath").string()};
}

} // namespace corvath
