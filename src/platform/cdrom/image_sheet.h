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

/// False for a cue sheet or cdrdao TOC file (or the cue sheet beside a .bin) without a TRACK
/// line, or a cue sheet with a FILE line that no TRACK line follows before the next FILE line:
/// libcdio leaks what it parsed of such a sheet, and there is no whole disc in it anyway.
bool SheetListsTracks(const std::filesystem::path& image);

/// Why libcdio cannot read the disc image at path, in words for the user, such as "its data
/// file /music/disc.bin is missing". Meant for after a failed open: it names the first problem
/// it finds, or says that the file is no disc image that can be read.
std::string WhyImageCannotBeRead(const std::filesystem::path& path);

} // namespace corvath
