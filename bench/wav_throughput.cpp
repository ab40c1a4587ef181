// Measures how fast WAV files pass through the engine's reader and writer: a PCM copy against a
// plain file copy of the same bytes, and IMA ADPCM encoding against sox's encoder.
//   wav_throughput [--mb N] [--runs N]

#include "audio/wave/wave_out.h"
#include "bench_support.h"
#include "platform/files/unique_fd.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace corvath {
namespace {

using namespace bench;

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

/// Times the chain to its finished file; keeps the pause before OnDone when asked.
auto TimedChain(CallDispatcher& dispatcher, TWavType type, double* donePause = nullptr)
{
    return [&dispatcher, type, donePause](const fs::path& from, const fs::path& to) {
        auto out = MakeComponent<TWaveOut>();
        out->SetWavType(type);
        const ChainTiming timing = ConvertThroughChain(dispatcher, from, to, *out);
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
    return SecondsOf(
        [&] { RunTool("sox " + Quoted(from) + " -e ima-adpcm -t wav " + Quoted(to)); });
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
    PrintRatioAgainstTarget("chain / copy", ratio, 1.5);
    std::printf("  (OnDone came %.2f s after the finished file, a fixed pause; not timed)\n",
                donePause);
}

void CompareAdpcmEncoding(CallDispatcher& dispatcher, const ScratchFolder& folder,
                          const Options& options)
{
    const Comparison adpcm(folder, "adpcm", options.mb * kAdpcmShare, options.runs);
    const bool haveSox = HaveTool("sox");
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
