#include "platform/cdrom/cdrdao_image.h"

#include "platform/cdrom/image_sheet.h"
#include "platform/files/unique_fd.h"
#include "platform/files/whole_file.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace corvath {

namespace {

// The line with a relative data file name made absolute from the TOC's folder; other lines
// unchanged.
std::string WithAbsoluteFileName(const std::string& line, const std::filesystem::path& folder)
{
    const std::optional<DataFileReference> reference = FindDataFileReference(line);
    if (!reference || reference->name.is_absolute())
        return line;
    return line.substr(0, reference->begin) +
           (folder / reference->name).lexically_normal().string() + line.substr(reference->end);
}

} // namespace

CdioHandle OpenCdrdaoImage(const std::string& tocPath)
{
    std::ifstream toc(tocPath);
    if (!toc)
        return nullptr;
    const std::filesystem::path folder =
        std::filesystem::absolute(tocPath).lexically_normal().parent_path();
    std::string copy;
    for (std::string line; std::getline(toc, line);)
        copy += WithAbsoluteFileName(line, folder) + '\n';

    std::string copyPath = (std::filesystem::temp_directory_path() / "corvath-XXXXXX.toc").string();
    const UniqueFd fd(::mkstemps(copyPath.data(), 4));
    if (!fd)
        return nullptr;
    CdioHandle cdio;
    // libcdio reads the TOC and opens its data files while opening; the copy is not needed after.
    if (WriteAll(fd.get(), copy))
        cdio = OpenCdio(copyPath, DRIVER_CDRDAO);
    std::filesystem::remove(copyPath);
    return cdio;
}

} // namespace corvath
