// Times `corvath-cli convert` of one music-like file against each format's own tool, both as
// whole processes taking turns: wall time, processor time (of the process and its threads) and
// the size of what each writes, as medians.
//   tool_ratios [--seconds N] [--runs N]     (90 s of sound, 7 runs unless told)
//
// The program runs from a copy beside an options.ini that matches the tool's settings, and
// measures no loudness (--replaygain off): no tool here does that by default either.

#include "audio/wave/pcm_wave_header.h"
#include "bench_support.h"
#include "platform/files/program_folder.h"
#include "support/test_signals.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <system_error>
#include <utility>
#include <vector>

extern char** environ;

namespace corvath {
namespace {

using namespace bench;

constexpr double kTimeTarget = 1.1;
constexpr double kSizeTolerance = 0.01;

struct ToolPair {
    std::string label;
    std::string settings;          // options.ini beside the program
    std::string extension;         // of the program's --to
    std::vector<std::string> tool; // "%in" and "%out" stand for the files
};

struct ProcessCost {
    double wall = 0;
    double cpu = 0;
};

double Seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// Output goes nowhere, so that a terminal's speed is not timed.
ProcessCost RunProcess(const std::vector<std::string>& words)
{
    std::vector<char*> argv;
    for (const std::string& word : words)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const auto start = Clock::now();
    pid_t child = 0;
    const int failure = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failure != 0)
        throw std::system_error(failure, std::generic_category(), words[0]);
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child)
        throw std::system_error(errno, std::generic_category(), "wait4");
    const double wall = SecondsSince(start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("failed: " + words[0] + " " + words[1]);
    return {wall, Seconds(usage.ru_utime) + Seconds(usage.ru_stime)};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Chords of harmonic voices over faint noise, written a second at a time.
void WriteMusicWav(const fs::path& file, double seconds)
{
    const auto frames = static_cast<std::size_t>(seconds * kSampleRate);
    std::ofstream out(file, std::ios::binary);
    const auto header = PcmWaveHeader(kChannels, kSampleRate, kBitsPerSample,
                                      static_cast<uint32_t>(frames * kFrameBytes));
    out.write(reinterpret_cast<const char*>(header.data()), header.size());
    for (std::size_t done = 0; done < frames; done += kSampleRate) {
        const std::vector<uint8_t> pcm =
            test::GeneratePcm(test::Signal::kMusic, kBitsPerSample, kChannels,
                              std::min<std::size_t>(kSampleRate, frames - done), done);
        out.write(reinterpret_cast<const char*>(pcm.data()),
                  static_cast<std::streamsize>(pcm.size()));
    }
    if (!out.flush())
        throw std::runtime_error("cannot write " + file.string());
}

std::vector<std::string> Expanded(std::vector<std::string> words, const fs::path& from,
                                  const fs::path& to)
{
    for (std::string& word : words) {
        if (word == "%in")
            word = from.string();
        else if (word == "%out")
            word = to.string();
    }
    return words;
}

// One side of a pair: its command, the file it writes, and what each run cost.
class Contender {
public:
    Contender(std::vector<std::string> command, fs::path output)
        : command_(std::move(command)), output_(std::move(output))
    {
    }

    void Run()
    {
        const ProcessCost cost = RunProcess(command_);
        walls_.push_back(cost.wall);
        cpus_.push_back(cost.cpu);
        size_ = fs::file_size(output_);
        fs::remove(output_);
    }
    double Wall() const { return Median(walls_); }
    double Cpu() const { return Median(cpus_); }
    double Size() const { return static_cast<double>(size_); }
    void Print(const std::string& label) const
    {
        std::printf("  %-14s wall %7.3f s   cpu %7.3f s   %10ju bytes\n", label.c_str(), Wall(),
                    Cpu(), size_);
    }

private:
    std::vector<std::string> command_;
    fs::path output_;
    std::vector<double> walls_;
    std::vector<double> cpus_;
    uintmax_t size_ = 0;
};

void ComparePair(const ScratchFolder& folder, const fs::path& cli, const fs::path& input,
                 const ToolPair& pair, int runs)
{
    std::printf("\n%s\n", pair.label.c_str());
    if (!HaveTool(pair.tool[0])) {
        std::printf("  %s is not installed: pair skipped\n", pair.tool[0].c_str());
        return;
    }
    std::ofstream(folder / "options.ini") << pair.settings;
    const fs::path outputs = folder / "out";
    fs::create_directories(outputs);
    Contender ours({cli.string(), "convert", "--to", pair.extension, "-j", "1", "--replaygain",
                    "off", input.string(), "-o", outputs.string()},
                   outputs / (input.stem().string() + "." + pair.extension));
    const fs::path toolOutput = outputs / ("tool." + pair.extension);
    Contender theirs(Expanded(pair.tool, input, toolOutput), toolOutput);
    for (int run = 0; run < runs; ++run) {
        ours.Run();
        theirs.Run();
    }
    ours.Print("corvath-cli");
    theirs.Print(pair.tool[0]);
    PrintRatioAgainstTarget("wall, ours / tool", ours.Wall() / theirs.Wall(), kTimeTarget);
    PrintRatioAgainstTarget("cpu, ours / tool", ours.Cpu() / theirs.Cpu(), kTimeTarget);
    const double sizes = ours.Size() / theirs.Size();
    std::printf("  %-28s %8.4fx  target: within 1%% -- %s\n", "size, ours / tool", sizes,
                std::abs(sizes - 1) <= kSizeTolerance ? "met" : "MISSED");
}

// The program copied beside the options it reads, so each pair can set its own.
fs::path InstallProgram(const ScratchFolder& folder)
{
    const fs::path cli = folder / "corvath-cli";
    fs::copy_file(ProgramFolder() + "corvath-cli", cli);
    return cli;
}

} // namespace
} // namespace corvath

int main(int argc, char** argv)
{
    using namespace corvath;
    return bench::RunBenchmark("tool_ratios", [&] {
        const bench::SecondsOptions options = bench::ParseSecondsOptions(argc, argv, 90, 1, 7);
        const bench::ScratchFolder folder;
        const bench::fs::path cli = InstallProgram(folder);
        const bench::fs::path input = folder / "music.wav";
        WriteMusicWav(input, options.seconds);
        std::printf("One file of %.0f s against each format's tool, whole processes in turn, "
                    "medians of %d runs\n",
                    options.seconds, options.runs);
        // The program's own defaults but for FLAC's level: Vorbis position 30 is quality 2, WMA
        // format 29 is 128 kbit/s CBR. Its MP3 output asks LAME for quality 5, the tool for 3.
        const ToolPair pairs[] = {
            {"FLAC level 2",
             "[FLACOptions]\nCompression=2\n",
             "flac",
             {"flac", "-2", "-f", "-s", "-o", "%out", "%in"}},
            {"FLAC level 5",
             "[FLACOptions]\nCompression=5\n",
             "flac",
             {"flac", "-5", "-f", "-s", "-o", "%out", "%in"}},
            {"MP3 128 kbit/s CBR",
             "[Mp3Options]\nConstantBitRate=128\nIsSelectVBR=0\n",
             "mp3",
             {"lame", "-b", "128", "--quiet", "%in", "%out"}},
            {"Ogg Vorbis quality 2",
             "[OggOptions]\nIsUseCompress=1\nCompressPosition=30\n",
             "ogg",
             {"oggenc", "-q", "2", "-Q", "-o", "%out", "%in"}},
            {"WMA 128 kbit/s",
             "",
             "wma",
             {"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", "%in", "-c:a", "wmav2", "-b:a",
              "128k", "%out"}},
        };
        for (const ToolPair& pair : pairs)
            ComparePair(folder, cli, input, pair, options.runs);
    });
}
