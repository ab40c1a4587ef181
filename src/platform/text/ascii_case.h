#pragma once

#include <string>
#include <string_view>

namespace corvath {

/// Three-way comparison with ASCII letters folded to lower case; other bytes compare by value.
/// Negative, zero or positive as a comes before, equals or follows b.
int CompareIgnoringCase(std::string_view a, std::string_view b);

/// The text with ASCII letters in lower case; other bytes unchanged.
std::string LowerAscii(std::string_view text);

/// The text with ASCII letters in upper case; other bytes unchanged.
std::string UpperAscii(std::string_view text);

/// True when a and b differ at most in the case of ASCII letters.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

} // namespace corvath
