#pragma once

#include "platform/profile/profile_document.h"

#include <filesystem>
#include <stdexcept>
#include <string>

namespace corvath {

/// Why an existing INI file cannot be read: "Cannot read <file>: <reason>".
class ProfileReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Reads an INI file; a missing file reads as an empty one, so every key gives its default.
/// Lines with NUL bytes are mended (ProfileDocument::Parse). Throws ProfileReadError when the
/// file exists but cannot be read, is no regular file (a folder, a pipe: never waited on) or
/// holds binary data, NUL bytes on more than half of its lines: writing it back would lose it.
ProfileDocument LoadProfile(const std::filesystem::path& file);

/// What to tell the user of the lines of file that LoadProfile mended: "Line 7 of <file> held
/// NUL bytes, read as blanks", naming the first few; empty when it mended none.
std::string MendedLinesNote(const ProfileDocument& document, const std::filesystem::path& file);

/// Replaces the file by the document's text atomically: the text goes to a temporary file
/// beside it, which then takes the old file's place, so a crash or a full disk leaves either
/// the old file or the new one, never a mix. The folder is created when missing.
/// Throws std::runtime_error "Unable to write to <file>" when the write is refused, including
/// when the existing file is not writable for us.
void SaveProfile(const ProfileDocument& document, const std::filesystem::path& file);

} // namespace corvath
