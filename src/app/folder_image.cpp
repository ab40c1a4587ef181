#include "app/folder_image.h"

#include "platform/files/whole_file.h"

#include <filesystem>

namespace corvath {

std::string PlaceFolderImage(const CoverPicture& cover, const std::string& folder)
{
    const std::filesystem::path file =
        std::filesystem::path(folder) / ("folder" + CoverExtension(cover));
    std::error_code ignored;
    if (std::filesystem::exists(file, ignored))
        return {};
    // The album's folder may be the first a file-name pattern makes.
    std::filesystem::create_directories(folder, ignored);
    return WriteWholeFile(file, cover.data);
}

} // namespace corvath
