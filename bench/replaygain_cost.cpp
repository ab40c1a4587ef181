// What measuring the loudness costs a user who waits: `corvath-cli rip` of a generated image and
// `corvath-cli convert` of a batch, each with --replaygain off and --replaygain album, taking
// turns run after run. The target: with the gains, at most 1.05 times the wall time.
//   replaygain_cost [--runs N]

#include "bench_support.h"
#include "platform/files/program_folder.h"
#include "rip_bench_support.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

namespace corvath {
namespace {

using namespace bench;

constexpr double kTarget = 1.05;

void EmptyFolder(const fs::path& folder)
{
    fs::remove_all(folder);
    fs::create_directories(folder);
}

// The program in the scratch folder, writing into out: it reads its settings from beside itself.
fs::path InstallProgram(const ScratchFolder& folder)
{
    const fs::path cli = folder / "corvath-cli";
    fs::copy_file(ProgramFolder() + "corvath-cli", cli);
    std::ofstream(folder / "options.ini")
        << "[CommonOptions]\nOutputFolder=" << (folder / "out").string()
        << "\n[Rip]\nWriteLog=0\nWriteCueSheet=0\n";
    return cli;
}

// Best seconds of each of the two commands, run in turns.
void Compare(const std::string& name, const std::string& command, const fs::path& out, int runs)
{
    double best[2] = {1e300, 1e300};
    const char* modes[2] = {"off", "album"};
    for (int run = 0; run < runs; ++run) {
        for (int mode = 0; mode < 2; ++mode) {
            EmptyFolder(out);
            best[mode] =
                std::min(best[mode], SecondsOf([&] {
                             RunTool(command + " --replaygain " + modes[mode] + " >/dev/null");
                         }));
        }
    }
    std::printf("\n%s\n  %-22s %8.3f s\n  %-22s %8.3f s\n", name.c_str(), "--replaygain off",
                best[0], "--replaygain album", best[1]);
    PrintRatioAgainstTarget("album / off", best[1] / best[0], kTarget);
}

int ParseRuns(int argc, char** argv)
{
    if (argc == 1)
        return 3;
    if (argc == 3 && std::string(argv[1]) == "--runs" && std::stoi(argv[2]) >= 1)
        return std::stoi(argv[2]);
    throw std::invalid_argument("usage: replaygain_cost [--runs N]");
}

} // namespace
} // namespace corvath

int main(int argc, char** argv)
{
    using namespace corvath;
    using namespace corvath::bench;
    return bench::RunBenchmark("replaygain_cost", [&] {
        const int runs = ParseRuns(argc, argv);
        const ScratchFolder folder;
        const fs::path cli = InstallProgram(folder);
        const fs::path out = folder / "out";
        std::printf("Best of %d runs each\n", runs);

        const fs::path image = WriteNoiseImage(folder, 8 * 60 * kSectorsPerSecond, 8);
        for (const char* format : {"flac", "mp3"})
            Compare(std::string("rip of 8 tracks of 60 s to ") + format,
                    Quoted(cli) + " rip --image " + Quoted(image) + " --format " + format, out,
                    runs);

        const fs::path inputs = folder / "in";
        EmptyFolder(inputs);
        std::string arguments;
        for (int i = 0; i < 8; ++i) {
            const fs::path file = inputs / ("take" + std::to_string(i) + ".wav");
            WriteTestWav(file, 60.0 * kSampleRate * kFrameBytes / kBytesPerMb);
            arguments += Quoted(file) + " ";
        }
        for (const char* format : {"flac", "mp3"})
            Compare(std::string("convert of 8 files of 60 s to ") + format,
                    Quoted(cli) + " convert --to " + format + " " + arguments + "-o " + Quoted(out),
                    out, runs);
    });
}
