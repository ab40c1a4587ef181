#include "support/loudness_vectors.h"

#include "support/run_command.h"

#include <cmath>

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

FfmpegLoudness FfmpegMeasure(const std::filesystem::path& file)
{
    const std::string printed =
        RunCommand("ffmpeg -nostdin -nostats -hide_banner -i " + Quoted(file) +
                   " -af ebur128=metadata=1,ametadata=mode=print:key=lavfi.r128.I,"
                   "astats=measure_perchannel=none:measure_overall=Peak_level -f null - 2>&1");
    // The last value of the running loudness is the whole file's.
    const auto lastNumberAfter = [&printed](const std::string& label) {
        const std::size_t at = printed.rfind(label);
        return at == std::string::npos ? std::nan("")
                                       : std::stod(printed.substr(at + label.size()));
    };
    return {lastNumberAfter("lavfi.r128.I="),
            std::pow(10.0, lastNumberAfter("Peak level dB:") / 20)};
}

} // namespace corvath::test
