#pragma once

#include "app/options_setting.h"
#include "app/settings_location.h"

namespace corvath {

/// Fills the settings part of the record from the settings file: every key in table order,
/// a missing file, section, key or malformed number giving the default. The disc
/// information member is left alone. A file that exists but cannot be read gives the
/// defaults too; the returned text then says which file and why (empty when all went well),
/// and the caller must not save the settings over it.
[[nodiscard]] std::string LoadOptions(TOptionsSetting& options, const SettingsLocation& location);

/// Writes every key of the settings part of the record to the settings file, in table
/// order, keeping whatever else the file holds. Throws "Unable to write to <file>" when
/// the write is refused; the old file then stays as it was.
void SaveOptions(const TOptionsSetting& options, const SettingsLocation& location);

} // namespace corvath
