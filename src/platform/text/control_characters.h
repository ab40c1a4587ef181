#pragma once

#include <string>
#include <string_view>

namespace corvath {

/// The text with a blank in place of every ASCII control character but tab: NUL, the line
/// breaks, DEL and the rest. No settings file holds them and no field should show them, so text
/// from a lookup and every value written to a settings file go through it.
std::string BlankControlCharacters(std::string_view text);

} // namespace corvath
