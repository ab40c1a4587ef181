#pragma once

#include <string>
#include <tfile.h>

namespace corvath {

/// Raises std::runtime_error "Cannot write the tags of <path>: <why>".
[[noreturn]] void FailTagWrite(const std::string& path, const std::string& why);

/// Raises unless the path is a regular file this process may open for writing, with the
/// system's reason: TagLib would open such a file read-only without one. Any thread.
void RequireWritableFile(const std::string& path);

/// Raises unless TagLib opened the file and may write it.
void RequireOpenForWriting(const TagLib::File& file, const std::string& path);

/// Raises unless TagLib saved the tag.
void RequireSaved(bool saved, const std::string& path);

} // namespace corvath
