#include "app/options_store.h"

#include "app/settings_keys.h"
#include "platform/profile/profile_file.h"

namespace corvath {

TOptionsSetting OptionsSetting;

std::string LoadOptions(TOptionsSetting& options, const SettingsLocation& location)
{
    TOptionsSetting defaults;
    defaults.CommonOptions.OutputFolder = location.defaultOutputFolder;
    ProfileDocument file;
    std::string problem;
    try {
        file = LoadProfile(location.optionsFile);
    } catch (const ProfileReadError& error) {
        problem = error.what();
    }
    for (const SettingKey& entry : SettingKeys())
        entry.Read(file, defaults, options);
    return problem;
}

void SaveOptions(const TOptionsSetting& options, const SettingsLocation& location)
{
    ProfileDocument file = LoadProfile(location.optionsFile);
    for (const SettingKey& entry : SettingKeys())
        file.WriteString(entry.section, entry.key, entry.ValueText(options));
    SaveProfile(file, location.optionsFile);
}

} // namespace corvath
