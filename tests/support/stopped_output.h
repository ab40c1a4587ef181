#pragma once

#include <filesystem>

namespace corvath::test {

/// After a stopped run: checks that nothing took the file's final name and gives the partial
/// file left behind that name, so tools that know files by their extension can read it. False
/// when there was no partial file or something had the final name.
bool TakeStoppedFile(const std::filesystem::path& file);

} // namespace corvath::test
