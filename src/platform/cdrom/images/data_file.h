#pragma once

#include "platform/cdrom/images/image_layout.h"
#include "platform/files/unique_fd.h"

#include <filesystem>
#include <optional>
#include <string>

namespace corvath {

/// The largest cue sheet or TOC file read: far above any real one (99 tracks with CD-Text).
inline constexpr uint64_t kMaxSheetBytes = 1 << 20;

/// Opens a file for reading without blocking, so a FIFO or a device named as an image or a data
/// file is refused at once rather than waited on; checks that it is a regular file. On failure
/// the descriptor is closed and problem says why ("it is not a regular file", "it cannot be read
/// (Permission denied)").
UniqueFd OpenRegularFile(const std::filesystem::path& path, std::string& problem);

/// "it cannot be read (<the system's reason>)", after a call that failed and set errno.
std::string CannotReadProblem();

/// Reads size bytes at offset, going on after interrupted or partial reads; false when the file
/// ends first or a read fails.
bool ReadAt(int fd, void* data, std::size_t size, uint64_t offset);

/// The text of a cue sheet or TOC file as UTF-8: a regular file of at most kMaxSheetBytes, a
/// UTF-8 byte-order mark dropped, UTF-16 (told by its byte-order mark) converted. Nothing, with
/// problem set, when it cannot be read or holds a zero byte outside UTF-16.
std::optional<std::string> ReadSheetText(const std::filesystem::path& sheet, std::string& problem);

/// A data file a sheet names, relative to the sheet's folder or absolute, which must lie inside
/// that folder or below it; checked to be a regular file, its sectors' stream found (a WAVE
/// file's data chunk of 44.1 kHz 16-bit stereo PCM, a FLAC file's samples of the same kind).
/// Nothing, with problem naming the file and the reason, otherwise.
std::optional<ImageDataFile> ResolveDataFile(const std::filesystem::path& sheetFolder,
                                             const std::string& name, ImageFileFormat format,
                                             std::string& problem);

} // namespace corvath
