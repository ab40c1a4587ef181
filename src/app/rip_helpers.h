#pragma once

#include <filesystem>

namespace corvath {

/// True when the file exists and cannot be opened for reading and writing with no sharing:
/// another of the program's opens holds it, or we may not write it. False for a missing file.
bool IsFileInUse(const std::filesystem::path& file);

/// Blocks the calling thread for ms milliseconds; returns at once when ms < 1.
void WaitMilliseconds(int ms);

} // namespace corvath
