// Times `corvath-cli convert` on whole batches against the codec's own tool run once per file,
// one after another: FLAC level 5 against `flac -5`, MP3 at 128 kbit/s against `lame -b 128`.
// Batches of many files run with the default job count; single files show what one chain costs.
//   convert_batch_throughput [--runs N]

#include "bench_support.h"
#include "platform/files/program_folder.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace corvath {
namespace {

using namespace bench;

struct BatchSet {
    std::string name;
    int files = 0;
    double seconds = 0; // of sound in each file
    int jobs = 0;       // 0: the program's default
    double target = 0;  // ours / tool
};

struct Encoder {
    std::string extension;
    std::string tool;
    std::string command; // "%in" and "%out" stand for the files
};

std::string Expand(std::string command, const fs::path& from, const fs::path& to)
{
    command.replace(command.find("%in"), 3, Quoted(from));
    command.replace(command.find("%out"), 4, Quoted(to));
    return command;
}

void EmptyFolder(const fs::path& folder)
{
    fs::remove_all(folder);
    fs::create_directory(folder);
}

// The program copied into the scratch folder with settings that match the tools' levels: it
// reads them from beside itself.
fs::path InstallProgram(const ScratchFolder& folder)
{
    const fs::path cli = folder / "corvath-cli";
    fs::copy_file(ProgramFolder() + "corvath-cli", cli);
    fs::copy_file(ProgramFolder() + "libcorvath-ape.so", folder / "libcorvath-ape.so");
    std::ofstream(folder / "options.ini") << "[Mp3Options]\nConstantBitRate=128\n"
                                             "[FLACOptions]\nCompression=5\n";
    return cli;
}

void RunSet(const ScratchFolder& folder, const fs::path& cli, const BatchSet& set, int runs)
{
    const fs::path inputs = folder / "in";
    const fs::path outputs = folder / "out";
    EmptyFolder(inputs);
    std::vector<fs::path> files;
    std::string arguments;
    for (int i = 0; i < set.files; ++i) {
        files.push_back(inputs / ("take" + std::to_string(i) + ".wav"));
        WriteTestWav(files.back(), set.seconds * kSampleRate * kFrameBytes / kBytesPerMb);
        arguments += Quoted(files.back()) + " ";
    }
    const std::string jobs = set.jobs > 0 ? "-j " + std::to_string(set.jobs) + " " : "";
    std::printf("\n%s\n", set.name.c_str());
    for (const Encoder& encoder : {Encoder{"flac", "flac", "flac -5 -s -f -o %out %in"},
                                   Encoder{"mp3", "lame", "lame -b 128 --quiet %in %out"}}) {
        const auto ours = [&] {
            EmptyFolder(outputs);
            return SecondsOf([&] {
                RunTool(Quoted(cli) + " convert --to " + encoder.extension + " " + jobs +
                        arguments + "-o " + Quoted(outputs) + " >/dev/null");
            });
        };
        const auto theirs = [&] {
            EmptyFolder(outputs);
            return SecondsOf([&] {
                for (const fs::path& file : files) {
                    const fs::path out = outputs / file.stem().concat("." + encoder.extension);
                    RunTool(Expand(encoder.command, file, out));
                }
            });
        };
        if (!HaveTool(encoder.tool)) {
            std::printf("  %s is not installed: no comparison\n", encoder.tool.c_str());
            continue;
        }
        // Turns, run after run, so that the page cache and write-back favour neither.
        double best[2] = {1e300, 1e300};
        for (int run = 0; run < runs; ++run) {
            best[0] = std::min(best[0], ours());
            best[1] = std::min(best[1], theirs());
        }
        std::printf("  %-28s %8.3f s\n", ("corvath-cli --to " + encoder.extension).c_str(),
                    best[0]);
        std::printf("  %-28s %8.3f s\n", (encoder.tool + " per file").c_str(), best[1]);
        PrintRatioAgainstTarget("ours / tool", best[0] / best[1], set.target);
    }
    fs::remove_all(inputs);
    fs::remove_all(outputs);
}

int ParseRuns(int argc, char** argv)
{
    if (argc == 1)
        return 2;
    if (argc == 3 && std::string(argv[1]) == "--runs" && std::stoi(argv[2]) >= 1)
        return std::stoi(argv[2]);
    throw std::invalid_argument("usage: convert_batch_throughput [--runs N]");
}

} // namespace
} // namespace corvath

int main(int argc, char** argv)
{
    using namespace corvath;
    return bench::RunBenchmark("convert_batch_throughput", [&] {
        const int runs = ParseRuns(argc, argv);
        const bench::ScratchFolder folder;
        const bench::fs::path cli = InstallProgram(folder);
        std::printf("Whole batches against the codec's tool once per file in turn, best of %d "
                    "runs; %u processors\n",
                    runs, std::thread::hardware_concurrency());
        const BatchSet sets[] = {
            {"20 files of 10 s, default jobs", 20, 10, 0, 0.6},
            {"100 files of 1 s, default jobs", 100, 1, 0, 1.0},
            {"one file of 60 s, -j 1", 1, 60, 1, 1.15},
            {"one file of 1 s, -j 1", 1, 1, 1, 2.0},
        };
        for (const auto& set : sets)
            RunSet(folder, cli, set, runs);
    });
}
