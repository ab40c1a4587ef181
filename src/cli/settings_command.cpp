#include "cli/settings_command.h"

#include "app/options_store.h"
#include "app/settings_keys.h"

namespace corvath::cli {

int RunSettings(std::ostream& out)
{
    const SettingsLocation location = SettingsLocation::ForProgram();
    LoadOptions(OptionsSetting, location);
    out << "options.ini: " << location.optionsFile.string() << '\n'
        << "cd.dat: " << location.discInfoFile.string() << '\n';
    for (const SettingKey& entry : SettingKeys())
        out << entry.section << '/' << entry.key << '=' << entry.ValueText(OptionsSetting) << '\n';
    return 0;
}

} // namespace corvath::cli
