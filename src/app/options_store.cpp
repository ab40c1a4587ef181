#include "app/options_store.h"

#include "app/settings_keys.h"
#include "platform/profile/profile_file.h"

#include <algorithm>

namespace corvath {

TOptionsSetting OptionsSetting;

namespace {

struct KeyReader {
    const ProfileDocument& file;
    const SettingKey& entry;
    TOptionsSetting& defaults; // a scratch record holding the defaults
    TOptionsSetting& options;

    void operator()(SettingKey::Member<std::string> member) const
    {
        member(options) = file.ReadString(entry.section, entry.key, member(defaults));
    }
    void operator()(SettingKey::Member<int32_t> member) const
    {
        int32_t value = file.ReadInteger(entry.section, entry.key, member(defaults));
        if (entry.range)
            value = std::clamp(value, entry.range->min, entry.range->max);
        member(options) = value;
    }
    void operator()(SettingKey::Member<bool> member) const
    {
        member(options) = file.ReadBool(entry.section, entry.key, member(defaults));
    }
};

} // namespace

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
        std::visit(KeyReader{file, entry, defaults, options}, entry.member);
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
