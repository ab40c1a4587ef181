#pragma once

#include "app/options_setting.h"
#include "platform/profile/profile_key.h"

#include <span>

namespace corvath {

/// One key of the settings file and the member of the record it stores.
using SettingKey = ProfileKey<TOptionsSetting>;

/// Every key of the settings file, in the order in which it is read and written: the common
/// options, each output format's in the formats' order, then the rest.
std::span<const SettingKey> SettingKeys();

} // namespace corvath
