#pragma once

#include "app/options_setting.h"
#include "app/settings_location.h"

#include <ostream>

namespace corvath::cli {

/// The settings as the program loads them; a settings file that cannot be read is named on err
/// and the defaults are used.
TOptionsSetting LoadSettings(const SettingsLocation& location, std::ostream& err);

/// Loads the settings as the program does and prints the files in use and every setting.
int RunSettings(std::ostream& out, std::ostream& err);

} // namespace corvath::cli
