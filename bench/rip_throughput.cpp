// Measures ripping a generated disc image into WAV files through the rip worker against reading
// the same sectors with libcdio directly, ten sectors per call (and, to show what writing costs,
// the same reads written to one file): throughput and the ratios.
//   rip_throughput [--seconds N] [--runs N]

#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/cdio_source.h"
#include "platform/files/unique_fd.h"
#include "rip_bench_support.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvath {
namespace {

using namespace bench;

constexpr uint32_t kTracks = 6;
constexpr uint32_t kSectorsPerRead = 10;

// One contender: its output goes into the folder given; returns the seconds it took.
using FolderRun = std::function<double(const fs::path& folder)>;

FolderRun WorkerRun(int32_t handle)
{
    return [handle](const fs::path& folder) {
        RipWaveOptions options;
        options.outputFolder = folder.string();
        return RipAllTracks(handle, kTracks, options);
    };
}

// Reads every sector of the image through libcdio, ten per call; writes them when fd is open.
void ReadSectors(CdIo_t* cdio, uint32_t sectors, const UniqueFd& fd)
{
    std::vector<uint8_t> buffer(kSectorsPerRead * kCdSectorBytes);
    for (uint32_t lsn = 0; lsn < sectors; lsn += kSectorsPerRead) {
        const uint32_t count = std::min(kSectorsPerRead, sectors - lsn);
        if (cdio_read_audio_sectors(cdio, buffer.data(), static_cast<lsn_t>(lsn), count) !=
            DRIVER_OP_SUCCESS)
            throw std::runtime_error("libcdio cannot read sector " + std::to_string(lsn));
        const auto bytes = static_cast<ssize_t>(count * kCdSectorBytes);
        if (fd && ::write(fd.get(), buffer.data(), static_cast<std::size_t>(bytes)) != bytes)
            throw std::runtime_error("cannot write the sectors read");
    }
}

FolderRun DirectRun(CdIo_t* cdio, uint32_t sectors, bool write)
{
    return [cdio, sectors, write](const fs::path& folder) {
        return SecondsOf([&] {
            UniqueFd fd;
            if (write)
                fd = UniqueFd(::open((folder / "direct.raw").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
            ReadSectors(cdio, sectors, fd);
        });
    };
}

} // namespace
} // namespace corvath

int main(int argc, char** argv)
{
    using namespace corvath;
    return bench::RunBenchmark("rip_throughput", [&] {
        const SecondsOptions options = ParseSecondsOptions(argc, argv, 300, 60);
        const ScratchFolder folder;
        const auto sectors =
            static_cast<uint32_t>(options.seconds * kSectorsPerSecond) / kTracks * kTracks;
        const fs::path image = WriteNoiseImage(folder, sectors, kTracks);
        const int32_t handle = OpenLayerHandle(image);
        const CdioHandle cdio(cdio_open_cue(image.c_str()));
        if (!cdio)
            throw std::runtime_error("libcdio cannot open " + image.string());

        const std::vector<std::pair<std::string, FolderRun>> contenders = {
            {"rip worker to WAV files", WorkerRun(handle)},
            {"libcdio reads", DirectRun(cdio.get(), sectors, false)},
            {"libcdio reads to a file", DirectRun(cdio.get(), sectors, true)}};
        std::vector<double> best(contenders.size(), std::numeric_limits<double>::max());
        // Turns, run after run, so that the page cache favours none of them.
        for (int run = 0; run < options.runs; ++run) {
            for (std::size_t i = 0; i < contenders.size(); ++i) {
                const fs::path output = folder / ("run" + std::to_string(i));
                fs::create_directory(output);
                best[i] = std::min(best[i], contenders[i].second(output));
                fs::remove_all(output);
            }
        }
        CloseCDHandle(handle);

        const double mb = static_cast<double>(sectors) * kCdSectorBytes / kBytesPerMb;
        std::printf("Rip of a generated disc image: %.0f s of audio (%.1f MB) in %u tracks, best "
                    "of %d runs (MB = 10^6 bytes)\n",
                    options.seconds, mb, kTracks, options.runs);
        for (std::size_t i = 0; i < contenders.size(); ++i)
            std::printf("  %-28s %8.3f s %9.1f MB/s\n", contenders[i].first.c_str(), best[i],
                        mb / best[i]);
        PrintRatio("rip worker / libcdio reads", best[0] / best[1], "time");
        PrintRatio("rip worker / reads to a file", best[0] / best[2], "time");
    });
}
