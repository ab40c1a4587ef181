#pragma once

#include <string>
#include <string_view>

namespace corvath::test {

/// ASCII text as a Windows editor saves it "in Unicode": UTF-16 little-endian after its
/// byte-order mark, so that every line holds NUL bytes.
std::string Utf16LittleEndian(std::string_view ascii);

} // namespace corvath::test
