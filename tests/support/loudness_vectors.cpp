#include "support/loudness_vectors.h"

#include "support/run_command.h"

namespace corvath::test {

std::filesystem::path LavfiWav(const std::filesystem::path& file, const std::string& source,
                               const std::string& codec)
{
    // The noise source is mono; -ac 2 copies it into both channels and leaves the others alone.
    const std::string channels = source.starts_with("anoisesrc") ? " -ac 2" : "";
    RunCommand("ffmpeg -nostdin -v error -y -bitexact -f lavfi -i \"" + source + "\"" + channels +
               " -map_metadata -1 -fflags +bitexact -flags:a +bitexact -c:a " + codec + " " +
               Quoted(file) + " 2>&1");
    return file;
}

} // namespace corvath::test
