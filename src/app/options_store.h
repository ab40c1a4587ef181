#pragma once

#include "app/options_setting.h"
#include "app/settings_location.h"

namespace corvath {

/// Fills the settings part of the record from the settings file: every key in table order,
/// a missing file, section, key or malformed number giving the default. The disc
/// information member is left alone.
void LoadOptions(TOptionsSetting& options, const SettingsLocation& location);

/// Writes every key of the settings part of the record to the settings file, in table
/// order, keeping whatever else the file holds. Throws "Unable to write to <file>" when
/// the write is refused; the old file then stays as it was.
void SaveOptions(const TOptionsSetting& options, const SettingsLocation& location);

/// The same for the program's record and files.
void LoadOptions();
void SaveOptions();

} // namespace corvath
