#include "support/cover_archive.h"

#include "support/run_command.h"
#include "support/temp_dir.h"

#include <cstdlib>

namespace corvath::test {

namespace {

std::string FfmpegImage(const std::filesystem::path& image, const std::string& source)
{
    RunCommand("ffmpeg -v error -y -f lavfi -i " + source + " -frames:v 1 " + Quoted(image));
    return ReadFile(image);
}

} // namespace

std::string RedSquare(const std::filesystem::path& folder, const std::string& extension)
{
    return FfmpegImage(folder / ("red." + extension), "color=red:s=16x16");
}

std::string PatternCover(const std::filesystem::path& folder)
{
    return FfmpegImage(folder / "pattern.jpg", "testsrc2=s=500x500");
}

CoverCacheIn::CoverCacheIn(const std::filesystem::path& folder)
{
    if (const char* cache = std::getenv("XDG_CACHE_HOME"))
        saved_ = cache;
    setenv("XDG_CACHE_HOME", folder.c_str(), 1);
}

CoverCacheIn::~CoverCacheIn()
{
    if (saved_)
        setenv("XDG_CACHE_HOME", saved_->c_str(), 1);
    else
        unsetenv("XDG_CACHE_HOME");
}

TestCoverArchive::TestCoverArchive(std::optional<std::string> image)
    : images_([image](const std::string&) {
          return HttpTestResponse{200, image.value_or("")};
      }),
      archive_([this, found = image.has_value()](const std::string&) {
          if (!found)
              return HttpTestResponse{404, "not found"};
          return HttpTestResponse{
              302, "", {"Location: http://" + images_.Address() + "/front.img"}};
      })
{
}

} // namespace corvath::test
