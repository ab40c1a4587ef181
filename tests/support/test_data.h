#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace corvath::test {

/// Where a file of tests/data is in the source tree: TestDataPath("cddb/6f0c6509").
std::filesystem::path TestDataPath(std::string_view relative);

/// The bytes of a file of tests/data; a test fails when the file cannot be read, so a missing
/// fixture is never taken for an empty one.
std::string ReadTestData(std::string_view relative);

} // namespace corvath::test
