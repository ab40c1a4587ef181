// Measures, on a generated disc image ripped by the rip worker, what the track checksums cost
// (the same bytes, in the worker's pieces, through TrackChecksums alone, against the whole rip)
// and how secure reads through libcdio-paranoia compare with plain reads.
//   rip_checksums_throughput [--seconds N] [--runs N]

#include "cd/track_checksums.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "rip_bench_support.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvath {
namespace {

using namespace bench;

constexpr uint32_t kTracks = 6;
constexpr uint32_t kSectorsPerRead = 10; // as the rip worker reads
constexpr double kChecksumsTarget = 1.05;
// The fastest CD drives read at 52 times the audio rate; an image in the page cache reads far
// faster than any drive, so the checksums' share of a real rip is judged at that speed.
constexpr double kFastestDriveBytesPerSecond = 52.0 * 44100 * 4;

// Where the checksums go, so that computing them cannot be left out.
volatile uint32_t checksumSink = 0;

// The checksums of every track of the image's bytes, fed as the worker feeds them.
double ChecksumAllTracks(const std::vector<uint8_t>& disc, uint32_t tracks)
{
    const uint32_t sectorsPerTrack = static_cast<uint32_t>(disc.size() / kCdSectorBytes) / tracks;
    const double seconds = SecondsOf([&] {
        for (uint32_t track = 0; track < tracks; ++track) {
            TrackChecksums checksums(TrackPlace{track == 0, track + 1 == tracks,
                                                uint64_t{sectorsPerTrack} * kCdSectorBytes / 4});
            const std::size_t begin = std::size_t{track} * sectorsPerTrack * kCdSectorBytes;
            const std::size_t end = begin + std::size_t{sectorsPerTrack} * kCdSectorBytes;
            for (std::size_t at = begin; at < end; at += kSectorsPerRead * kCdSectorBytes)
                checksums.Add({disc.data() + at,
                               std::min<std::size_t>(kSectorsPerRead * kCdSectorBytes, end - at)});
            checksumSink = checksums.AccurateRipV2() ^ checksums.CopyCrc();
        }
    });
    return seconds;
}

std::vector<uint8_t> ReadWholeFile(const fs::path& file)
{
    std::vector<uint8_t> bytes(fs::file_size(file));
    std::ifstream stream(file, std::ios::binary);
    if (!stream.read(reinterpret_cast<char*>(bytes.data()),
                     static_cast<std::streamsize>(bytes.size())))
        throw std::runtime_error("cannot read " + file.string());
    return bytes;
}

} // namespace
} // namespace corvath

int main(int argc, char** argv)
{
    using namespace corvath;
    return bench::RunBenchmark("rip_checksums_throughput", [&] {
        const SecondsOptions options = ParseSecondsOptions(argc, argv, 180, 30);
        const ScratchFolder folder;
        const auto sectors =
            static_cast<uint32_t>(options.seconds * kSectorsPerSecond) / kTracks * kTracks;
        const fs::path image = WriteNoiseImage(folder, sectors, kTracks);
        const std::vector<uint8_t> disc = ReadWholeFile(folder / "disc.bin");
        const int32_t handle = OpenLayerHandle(image);

        double plain = std::numeric_limits<double>::max();
        double secure = plain;
        double checksums = plain;
        // Turns, run after run, so that the page cache favours none of them.
        for (int run = 0; run < options.runs; ++run) {
            for (const bool secureReads : {false, true}) {
                RipWaveOptions rip;
                rip.outputFolder = (folder / "out").string();
                rip.secureReads = secureReads;
                fs::create_directory(rip.outputFolder);
                double& best = secureReads ? secure : plain;
                best = std::min(best, RipAllTracks(handle, kTracks, rip));
                fs::remove_all(rip.outputFolder);
            }
            checksums = std::min(checksums, ChecksumAllTracks(disc, kTracks));
        }
        CloseCDHandle(handle);

        const double mb = static_cast<double>(disc.size()) / kBytesPerMb;
        std::printf("Rip of a generated disc image: %.0f s of audio (%.1f MB) in %u tracks, best "
                    "of %d runs (MB = 10^6 bytes)\n",
                    options.seconds, mb, kTracks, options.runs);
        const auto row = [mb](const char* label, double seconds) {
            std::printf("  %-36s %8.3f s %9.1f MB/s\n", label, seconds, mb / seconds);
        };
        row("rip, plain reads, with checksums", plain);
        row("  checksums alone, same pieces", checksums);
        row("  rip without them (difference)", plain - checksums);
        row("rip, secure reads, with checksums", secure);
        PrintRatio("rip with / without checksums", plain / (plain - checksums), "image in memory");
        const double driveSeconds = static_cast<double>(disc.size()) / kFastestDriveBytesPerSecond;
        PrintRatioAgainstTarget("same from a 52x drive", (driveSeconds + checksums) / driveSeconds,
                                kChecksumsTarget);
        PrintRatio("secure / plain reads", secure / plain, "time");
    });
}
