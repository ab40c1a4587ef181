#include "support/cover_archive.h"

#include "support/run_command.h"
#include "support/temp_dir.h"

namespace corvath::test {

std::string RedSquare(const std::filesystem::path& folder, const std::string& extension)
{
    const std::filesystem::path image = folder / ("red." + extension);
    RunCommand("ffmpeg -v error -y -f lavfi -i color=red:s=16x16 -frames:v 1 " + Quoted(image));
    return ReadFile(image);
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
