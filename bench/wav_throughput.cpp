// Measures how fast WAV files pass through the engine's reader and writer: a PCM copy against a
// plain file copy of the same bytes, and IMA ADPCM encoding against sox's encoder.
//   wav_throughput [--mb N] [--runs N]

#include "audio/call_dispatcher.h"
#include "audio/little_endian.h"
#include "audio/pcm_wave_header.h"
#include "audio/wave_in.h"
#include "audio/wave_out.h"
#include "platform/unique_fd.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <stdexcept>
#include <stdlib.h>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace corvath {
namespace {

namespace fs = std::filesystem;

constexpr double kBytesPerMb = 1e6;
constexpr uint32_t kSampleRate = 44100;
constexpr uint16_t kChannels = 2;
constexpr uint16_t kBitsPerSample = 16;
constexpr uint32_t kFrameBytes = kChannels * kBitsPerSample / 8;
// The ADPCM comparison spawns sox, so it runs on a quarter of the data to stay quick.
constexpr double kAdpcmShare = 0.25;
// Like the buffer of common copy tools: large enough that system calls do not dominate.
constexpr std::size_t kCopyBufferBytes = 128 * 1024;

struct Options {
    double mb = 200;
    int runs = 5;
};

Options ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc)
            throw std::invalid_argument("missing value after " + name);
        const std::string value = argv[++i];
        if (name == "--mb")
            options.mb = std::stod(value);
        else if (name == "--runs")
            options.runs = std::stoi(value);
        else
            throw std::invalid_argument("unknown option " + name);
    }
    // Shorter runs end before the main thread can see them busy; a WAV file holds 4 GiB at most.
    if (options.mb < 10 || options.mb > 4000 || options.runs < 1)
        throw std::invalid_argument("--mb must lie in 10..4000 and --runs be at least 1");
    return options;
}

/// A fresh folder under the system's temporary folder, removed with its content when it goes.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "corvath-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::system_error(errno, std::generic_category(), "mkdtemp");
        path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

/// Writes a 16-bit stereo 44.1 kHz PCM WAV file of about mb megabytes: a 440 Hz sine with
/// noise, so that the ADPCM encoder meets a signal that is neither silent nor trivial.
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

using Clock = std::chrono::steady_clock;

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

void CopyPlain(const fs::path& from, const fs::path& to)
{
    const UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    const UniqueFd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!in || !out)
        throw std::system_error(errno, std::generic_category(), "open");
    std::vector<char> buffer(kCopyBufferBytes);
    for (;;) {
        const ssize_t got = ::read(in.get(), buffer.data(), buffer.size());
        if (got < 0)
            throw std::system_error(errno, std::generic_category(), "read");
        if (got == 0)
            return;
        for (ssize_t done = 0; done < got;) {
            const ssize_t written = ::write(out.get(), buffer.data() + done, got - done);
            if (written < 0)
                throw std::system_error(errno, std::generic_category(), "write");
            done += written;
        }
    }
}

struct ChainTiming {
    double finished = 0; // from Start until the worker has completed the file
    double done = 0;     // from Start until OnDone
};

/// Converts through TWaveIn -> TWaveOut. OnDone follows the completed file after a fixed pause:
/// latency rather than throughput, so the worker's end is timed on its own.
ChainTiming ConvertThroughChain(CallDispatcher& dispatcher, const fs::path& from,
                                const fs::path& to, TWavType type)
{
    auto in = MakeComponent<TWaveIn>();
    auto out = MakeComponent<TWaveOut>();
    in->SetFileName(from.string());
    out->SetInput(in.get());
    out->SetFileName(to.string());
    out->SetWavType(type);
    std::atomic<bool> done{false};
    out->SetOnDone([&](TAuOutput*) { done = true; });

    ChainTiming timing;
    bool sawBusy = false;
    const auto start = Clock::now();
    out->Start();
    while (!done) {
        dispatcher.WaitAndProcess(std::chrono::milliseconds(1));
        const bool busy = out->IsBusy();
        if (sawBusy && !busy && timing.finished == 0)
            timing.finished = SecondsSince(start);
        sawBusy = sawBusy || busy;
    }
    timing.done = SecondsSince(start);
    if (!out->LastError().empty())
        throw std::runtime_error("the chain failed: " + out->LastError());
    if (!sawBusy)
        throw std::runtime_error("the run ended before it could be timed: raise --mb");
    return timing;
}

bool HaveSox()
{
    return std::system("command -v sox >/dev/null 2>&1") == 0;
}

void EncodeWithSox(const fs::path& from, const fs::path& to)
{
    const std::string command = "sox '" + from.string() + "' -e ima-adpcm '" + to.string() + "'";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("sox failed: " + command);
}

/// Converts or copies a file to another and returns the seconds it took.
using TimedRun = std::function<double(const fs::path& from, const fs::path& to)>;

/// One comparison's files: a generated input, and an output removed after each timed run.
class Comparison {
public:
    Comparison(const ScratchFolder& folder, const std::string& name, double mb, int runs)
        : source_(folder / (name + "-in.wav")), target_(folder / (name + "-out.wav")), runs_(runs)
    {
        WriteTestWav(source_, mb);
        mb_ = static_cast<double>(fs::file_size(source_)) / kBytesPerMb;
    }
    ~Comparison()
    {
        std::error_code ignored;
        fs::remove(source_, ignored);
        fs::remove(target_, ignored);
    }
    Comparison(const Comparison&) = delete;
    Comparison& operator=(const Comparison&) = delete;

    double Mb() const { return mb_; }

    /// The shortest time of each contender. They take turns, run after run, so that the state
    /// of the machine (page cache, write-back of earlier runs) favours none of them.
    std::vector<double> BestOfTurns(const std::vector<TimedRun>& contenders) const
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

    void PrintRow(const std::string& label, double seconds) const
    {
        std::printf("  %-28s %8.3f s %9.1f MB/s\n", label.c_str(), seconds, mb_ / seconds);
    }

private:
    fs::path source_;
    fs::path target_;
    int runs_;
    double mb_ = 0;
};

void PrintRatio(const std::string& label, double ratio, const std::string& note)
{
    std::printf("  %-28s %8.2fx   %s\n", label.c_str(), ratio, note.c_str());
}

/// Times the chain to its finished file; keeps the pause before OnDone when asked.
auto TimedChain(CallDispatcher& dispatcher, TWavType type, double* donePause = nullptr)
{
    return [&dispatcher, type, donePause](const fs::path& from, const fs::path& to) {
        const ChainTiming timing = ConvertThroughChain(dispatcher, from, to, type);
        if (donePause != nullptr)
            *donePause = timing.done - timing.finished;
        return timing.finished;
    };
}

double TimedPlainCopy(const fs::path& from, const fs::path& to)
{
    return SecondsOf([&] { CopyPlain(from, to); });
}

double TimedSox(const fs::path& from, const fs::path& to)
{
    return SecondsOf([&] { EncodeWithSox(from, to); });
}

void ComparePcmCopy(CallDispatcher& dispatcher, const ScratchFolder& folder, const Options& options)
{
    const Comparison pcm(folder, "pcm", options.mb, options.runs);
    double donePause = 0;
    const auto best = pcm.BestOfTurns({TimedChain(dispatcher, wtPCM, &donePause), TimedPlainCopy});
    const double chain = best[0];
    const double copy = best[1];

    const double ratio = chain / copy;
    std::printf("PCM WAV copy, %.1f MB of 16-bit stereo 44.1 kHz\n", pcm.Mb());
    pcm.PrintRow("TWaveIn -> TWaveOut (PCM)", chain);
    pcm.PrintRow("plain file copy", copy);
    PrintRatio("chain / copy", ratio,
               std::string("target: within 1.5x of the copy -- ") +
                   (ratio <= 1.5 ? "met" : "MISSED"));
    std::printf("  (OnDone came %.2f s after the finished file, a fixed pause; not timed)\n",
                donePause);
}

void CompareAdpcmEncoding(CallDispatcher& dispatcher, const ScratchFolder& folder,
                          const Options& options)
{
    const Comparison adpcm(folder, "adpcm", options.mb * kAdpcmShare, options.runs);
    const bool haveSox = HaveSox();
    std::vector<TimedRun> contenders{TimedChain(dispatcher, wtDVIADPCM)};
    if (haveSox)
        contenders.emplace_back(TimedSox);
    const auto best = adpcm.BestOfTurns(contenders);

    std::printf("\nIMA ADPCM encoding, %.1f MB of 16-bit stereo 44.1 kHz PCM in\n", adpcm.Mb());
    adpcm.PrintRow("TWaveIn -> TWaveOut (ADPCM)", best[0]);
    if (!haveSox) {
        std::printf("  sox is not installed: no comparison\n");
        return;
    }
    adpcm.PrintRow("sox -e ima-adpcm", best[1]);
    PrintRatio("ours / sox", best[0] / best[1], "time ratio, below 1 is faster than sox");
}

} // namespace
} // namespace corvath

int main(int argc, char** argv)
{
    using namespace corvath;
    try {
        const Options options = ParseOptions(argc, argv);
        ScopedMainThread mainThread;
        const ScratchFolder folder;
        std::printf("WAV throughput, best of %d runs (MB = 10^6 bytes)\n\n", options.runs);
        ComparePcmCopy(mainThread.Dispatcher(), folder, options);
        CompareAdpcmEncoding(mainThread.Dispatcher(), folder, options);
        return EXIT_SUCCESS;
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "%s\nusage: wav_throughput [--mb N] [--runs N]\n", error.what());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "wav_throughput: %s\n", error.what());
    }
    return EXIT_FAILURE;
}
