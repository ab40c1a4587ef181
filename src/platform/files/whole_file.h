#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace corvath {

/// The bytes of a file; empty when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& file);

/// Writes all of bytes to the descriptor, going on after interrupted or partial writes; false,
/// with errno telling why, when a write fails.
bool WriteAll(int fd, std::string_view bytes);

/// Writes a file holding bytes, whole or not at all: they go to a temporary file beside it,
/// which takes the file's name once complete, replacing what had that name. Empty on success,
/// else "Cannot write <file>: <system reason>"; no temporary file stays behind.
std::string WriteWholeFile(const std::filesystem::path& file, std::string_view bytes);

} // namespace corvath
