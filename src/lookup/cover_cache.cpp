#include "lookup/cover_cache.h"

#include "platform/files/whole_file.h"

#include <cstdlib>
#include <stdexcept>

namespace corvath {

namespace fs = std::filesystem;

namespace {

constexpr const char* kExtensions[] = {".jpg", ".png"};

} // namespace

fs::path CoverCacheFolder()
{
    const char* cache = std::getenv("XDG_CACHE_HOME");
    fs::path base;
    if (cache != nullptr && *cache != '\0') {
        base = cache;
    } else {
        const char* home = std::getenv("HOME");
        base = fs::path(home != nullptr ? home : "") / ".cache";
    }
    return base / "corvath" / "covers";
}

fs::path StoreCover(const std::string& discKey, const CoverPicture& picture)
{
    if (const std::string problem = CoverImageProblem(picture); !problem.empty())
        throw std::runtime_error("The cover art is " + problem);
    const fs::path folder = CoverCacheFolder();
    fs::create_directories(folder);
    const fs::path file = folder / (discKey + CoverExtension(picture));
    if (const std::string problem = WriteWholeFile(file, picture.data); !problem.empty())
        throw std::runtime_error(problem);
    // The disc's cover of another type would be found instead of this one.
    for (const char* extension : kExtensions) {
        std::error_code ignored;
        if (file.extension() != extension)
            fs::remove(folder / (discKey + extension), ignored);
    }
    return file;
}

void ForgetCover(const std::string& discKey)
{
    for (const char* extension : kExtensions) {
        std::error_code ignored;
        fs::remove(CoverCacheFolder() / (discKey + extension), ignored);
    }
}

std::optional<CachedCover> LoadCover(const std::string& discKey)
{
    if (discKey.empty())
        return std::nullopt;
    for (const char* extension : kExtensions) {
        const fs::path file = CoverCacheFolder() / (discKey + extension);
        std::error_code ignored;
        if (!fs::is_regular_file(file, ignored))
            continue;
        // A cut file, or one an older version kept without checking, is no cover.
        std::optional<CoverPicture> picture = CoverPictureOf(ReadWholeFile(file));
        if (picture && CoverImageProblem(*picture).empty())
            return CachedCover{file, std::move(*picture)};
    }
    return std::nullopt;
}

} // namespace corvath
