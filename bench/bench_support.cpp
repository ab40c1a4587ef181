#include "bench_support.h"

#include "audio/wave/pcm_wave_header.h"
#include "audio/wave/wave_in.h"
#include "platform/bytes/little_endian.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <stdexcept>
#include <stdlib.h>
#include <system_error>

namespace corvath::bench {

ScratchFolder::ScratchFolder()
{
    std::string pattern = (fs::temp_directory_path() / "corvath-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::system_error(errno, std::generic_category(), "mkdtemp");
    path_ = pattern;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void WriteTestWav(const fs::path& file, double mb)
{
    const auto frames = static_cast<uint32_t>(mb * kBytesPerMb / kFrameBytes);
    // 440 Hz repeats exactly every second at 44.1 kHz: one second of sine serves the whole file.
    std::vector<int16_t> sine(kSampleRate);
    for (uint32_t i = 0; i < kSampleRate; ++i)
        sine[i] =
            static_cast<int16_t>(12000 * std::sin(2 * std::numbers::pi * 440 * i / kSampleRate));

    std::ofstream out(file, std::ios::binary);
    const auto header = PcmWaveHeader(kChannels, kSampleRate, kBitsPerSample, frames * kFrameBytes);
    out.write(reinterpret_cast<const char*>(header.data()), header.size());
    std::vector<uint8_t> second(kSampleRate * kFrameBytes);
    uint32_t noise = 12345;
    for (uint32_t written = 0; written < frames;) {
        const uint32_t count = std::min(kSampleRate, frames - written);
        for (uint32_t i = 0; i < count; ++i) {
            for (uint16_t channel = 0; channel < kChannels; ++channel) {
                noise = noise * 1664525u + 1013904223u;
                const auto sample =
                    static_cast<int16_t>(sine[i] + static_cast<int16_t>(noise >> 16) / 16);
                WriteLe16(&second[(i * kChannels + channel) * 2], static_cast<uint16_t>(sample));
            }
        }
        out.write(reinterpret_cast<const char*>(second.data()), count * kFrameBytes);
        written += count;
    }
    if (!out.flush())
        throw std::runtime_error("cannot write " + file.string());
}

int RunBenchmark(const char* name, const std::function<void()>& body)
{
    try {
        body();
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", name, error.what());
        return 1;
    }
}

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double SecondsOf(const std::function<void()>& work)
{
    const auto start = Clock::now();
    work();
    return SecondsSince(start);
}

std::string Quoted(const fs::path& path)
{
    std::string word(1, '\'');
    for (const char c : path.string()) {
        if (c == '\'')
            word += "'\\''";
        else
            word += c;
    }
    word += '\'';
    return word;
}

void RunTool(const std::string& command)
{
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("failed: " + command);
}

bool HaveTool(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

ChainTiming ConvertThroughChain(CallDispatcher& dispatcher, const fs::path& from,
                                const fs::path& to, TAuFileOut& out, TAuConverter* filter)
{
    auto in = MakeComponent<TWaveIn>();
    in->SetFileName(from.string());
    if (filter != nullptr) {
        filter->SetInput(in.get());
        out.SetInput(filter);
    } else {
        out.SetInput(in.get());
    }
    out.SetFileName(to.string());
    std::atomic<bool> done{false};
    out.SetOnDone([&](TAuOutput*) { done = true; });

    ChainTiming timing;
    bool sawBusy = false;
    const auto start = Clock::now();
    out.Start();
    while (!done) {
        dispatcher.WaitAndProcess(std::chrono::milliseconds(1));
        const bool busy = out.IsBusy();
        if (sawBusy && !busy && timing.finished == 0)
            timing.finished = SecondsSince(start);
        sawBusy = sawBusy || busy;
    }
    timing.done = SecondsSince(start);
    out.SetOnDone(nullptr);
    out.SetInput(nullptr);
    if (!out.LastError().empty())
        throw std::runtime_error("the chain failed: " + out.LastError());
    if (!sawBusy)
        throw std::runtime_error("the run ended before it could be timed: raise --mb");
    return timing;
}

Comparison::Comparison(const ScratchFolder& folder, const std::string& name, double mb, int runs)
    : source_(folder / (name + "-in.wav")), target_(folder / (name + "-out")), runs_(runs)
{
    WriteTestWav(source_, mb);
    mb_ = static_cast<double>(fs::file_size(source_)) / kBytesPerMb;
}

Comparison::~Comparison()
{
    std::error_code ignored;
    fs::remove(source_, ignored);
    fs::remove(target_, ignored);
}

std::vector<double> Comparison::BestOfTurns(const std::vector<TimedRun>& contenders) const
{
    std::vector<double> best(contenders.size(), 1e300);
    for (int run = 0; run < runs_; ++run) {
        for (std::size_t i = 0; i < contenders.size(); ++i) {
            best[i] = std::min(best[i], contenders[i](source_, target_));
            fs::remove(target_);
        }
    }
    return best;
}

void Comparison::PrintRow(const std::string& label, double seconds) const
{
    std::printf("  %-28s %8.3f s %9.1f MB/s\n", label.c_str(), seconds, mb_ / seconds);
}

SecondsOptions ParseSecondsOptions(int argc, char** argv, double defaultSeconds,
                                   double minimumSeconds, int defaultRuns)
{
    SecondsOptions options{defaultSeconds, defaultRuns};
    for (int i = 1; i < argc; i += 2) {
        const std::string name = argv[i];
        if (i + 1 >= argc)
            throw std::invalid_argument("missing value after " + name);
        if (name == "--seconds")
            options.seconds = std::stod(argv[i + 1]);
        else if (name == "--runs")
            options.runs = std::stoi(argv[i + 1]);
        else
            throw std::invalid_argument("unknown option " + name);
    }
    if (options.seconds < minimumSeconds || options.runs < 1)
        throw std::invalid_argument("--seconds must be at least " + std::to_string(minimumSeconds) +
                                    " and --runs at least 1");
    return options;
}

void PrintRatio(const std::string& label, double ratio, const std::string& note)
{
    std::printf("  %-28s %8.2fx   %s\n", label.c_str(), ratio, note.c_str());
}

void PrintRatioAgainstTarget(const std::string& label, double ratio, double target)
{
    char note[64];
    std::snprintf(note, sizeof note, "target: within %.3gx -- %s", target,
                  ratio <= target ? "met" : "MISSED");
    PrintRatio(label, ratio, note);
}

} // namespace corvath::bench
