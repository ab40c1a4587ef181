#pragma once

#include "app/options_setting.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace corvath {

/// One key of the settings file and the member of the record it stores.
struct SettingKey {
    template <typename Value> using Member = Value& (*)(TOptionsSetting&);

    struct Range {
        int32_t min;
        int32_t max;
    };

    std::string_view section;
    std::string_view key;
    std::variant<Member<std::string>, Member<int32_t>, Member<bool>> member;
    std::optional<Range> range; ///< values read outside it are clamped

    /// The value as the file stores it: text unchanged, integers in decimal, booleans "1"/"0".
    std::string ValueText(const TOptionsSetting& options) const;
};

/// Every key of the settings file, in the order in which it is read and written.
std::span<const SettingKey> SettingKeys();

} // namespace corvath
