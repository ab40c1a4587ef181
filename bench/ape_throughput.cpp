// Measures our APE output at each compression level against `flac -8` on the same generated
// WAV file: encoding time and compressed size, each as a ratio to flac's.
//   ape_throughput [--seconds N] [--runs N]

#include "bench_support.h"
#include "codecs/ape/mac_out.h"
#include "codecs/startup_libraries.h"

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvath {
namespace {

using namespace bench;

// Normal compression may take this much longer than flac's strongest preset.
constexpr double kNormalTarget = 2.0;
constexpr int kLevels[] = {1000, 2000, 3000, 4000};

// Our output at a level, timed from start to the completed file; its size goes to size.
TimedRun OurRun(CallDispatcher& dispatcher, int level, std::uintmax_t& size)
{
    return [&dispatcher, level, &size](const fs::path& from, const fs::path& to) {
        auto out = MakeComponent<TMACOut>();
        out->SetCompressionLevel(level);
        const double seconds = ConvertThroughChain(dispatcher, from, to, *out).finished;
        size = fs::file_size(to);
        return seconds;
    };
}

TimedRun FlacRun(std::uintmax_t& size)
{
    return [&size](const fs::path& from, const fs::path& to) {
        const double seconds =
            SecondsOf([&] { RunTool("flac -8 -s -f -o " + Quoted(to) + " " + Quoted(from)); });
        size = fs::file_size(to);
        return seconds;
    };
}

} // namespace
} // namespace corvath

int main(int argc, char** argv)
{
    using namespace corvath;
    return bench::RunBenchmark("ape_throughput", [&] {
        const SecondsOptions options = ParseSecondsOptions(argc, argv, 60, 60);
        if (!HaveTool("flac"))
            throw std::runtime_error("flac is not installed: nothing to compare with");
        const StartupCodecLibraries libraries;
        ScopedMainThread mainThread;
        const ScratchFolder folder;
        const double mb = options.seconds * kSampleRate * kFrameBytes / kBytesPerMb;
        const Comparison comparison(folder, "ape", mb, options.runs);

        constexpr std::size_t kFlac = std::size(kLevels);
        std::vector<std::uintmax_t> sizes(kFlac + 1);
        std::vector<TimedRun> runs;
        for (std::size_t i = 0; i < kFlac; ++i)
            runs.push_back(OurRun(mainThread.Dispatcher(), kLevels[i], sizes[i]));
        runs.push_back(FlacRun(sizes[kFlac]));
        const std::vector<double> best = comparison.BestOfTurns(runs);

        std::printf("APE levels against flac -8, %.0f s of 16-bit stereo 44.1 kHz (%.1f MB), "
                    "best of %d runs (MB = 10^6 bytes)\n",
                    options.seconds, comparison.Mb(), options.runs);
        for (std::size_t i = 0; i <= kFlac; ++i) {
            const std::string name = i == kFlac ? "flac -8" : "level " + std::to_string(kLevels[i]);
            comparison.PrintRow(name + ", " + std::to_string(sizes[i]) + " bytes", best[i]);
        }
        for (std::size_t i = 0; i < kFlac; ++i) {
            const std::string name = "level " + std::to_string(kLevels[i]);
            const double timeRatio = best[i] / best[kFlac];
            if (kLevels[i] == 2000)
                PrintRatioAgainstTarget(name + " time / flac -8", timeRatio, kNormalTarget);
            else
                PrintRatio(name + " time / flac -8", timeRatio, "");
            PrintRatio(name + " size / flac -8",
                       static_cast<double>(sizes[i]) / static_cast<double>(sizes[kFlac]), "");
        }
    });
}
