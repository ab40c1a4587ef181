#include "cli/settings_command.h"

#include "app/options_store.h"
#include "app/settings_keys.h"

namespace corvath::cli {

TOptionsSetting LoadSettings(const SettingsLocation& location, std::ostream& err)
{
    TOptionsSetting settings;
    if (const std::string problem = LoadOptions(settings, location); !problem.empty())
        err << "corvath-cli: " << problem << "; the default settings are used\n";
    return settings;
}

int RunSettings(std::ostream& out, std::ostream& err)
{
    const SettingsLocation location = SettingsLocation::ForProgram();
    const TOptionsSetting settings = LoadSettings(location, err);
    out << "options.ini: " << location.optionsFile.string() << '\n'
        << "cd.dat: " << location.discInfoFile.string() << '\n';
    for (const SettingKey& entry : SettingKeys())
        out << entry.section << '/' << entry.key << '=' << entry.ValueText(settings) << '\n';
    return 0;
}

} // namespace corvath::cli
