#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace corvath {

/// Where a cue sheet or cdrdao TOC line names a data file (FILE, AUDIOFILE or DATAFILE, the name
/// quoted or not): the name and its place in the line.
struct DataFileReference {
    std::size_t begin = 0; ///< first character of the name
    std::size_t end = 0;   ///< one past its last character
    std::filesystem::path name;
};
std::optional<DataFileReference> FindDataFileReference(const std::string& line);

/// False for a cue sheet or cdrdao TOC file (or the cue sheet beside a .bin) that libcdio must
/// not be given: one holding a zero byte or without a TRACK line, a cue sheet with a FILE line
/// that no TRACK line follows before the next FILE line (libcdio leaks what it parsed of those),
/// and a TOC file with a TRACK line that names no mode (libcdio divides by zero on it).
bool SheetIsSafeToParse(const std::filesystem::path& image);

/// Why libcdio cannot read the disc image at path, in words for the user, such as "its data
/// file /music/disc.bin is missing". Meant for after a failed open: it names the first problem
/// it finds, or says that the file is no disc image that can be read.
std::string WhyImageCannotBeRead(const std::filesystem::path& path);

} // namespace corvath
