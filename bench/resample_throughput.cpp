// Measures our 44100 -> 48000 Hz stereo resampling (WAV reader -> resampler -> WAV writer) at
// each quality against `sox -r 48000` and against libsamplerate called directly with the same
// converter type on the same samples, all in one run.
//   resample_throughput [--seconds N] [--runs N]

#include "audio/filters/resampler.h"
#include "audio/wave/pcm_wave_header.h"
#include "audio/wave/wave_out.h"
#include "bench_support.h"
#include "codecs/startup_libraries.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <samplerate.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvath {
namespace {

using namespace bench;

constexpr uint32_t kTargetRate = 48000;
// Ours may take this much longer than libsamplerate on its own.
constexpr double kTarget = 1.3;

// The whole file's samples, past the 44-byte header our test files have.
std::vector<short> ReadSamples(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    std::vector<short> samples((bytes.size() - kPcmWaveHeaderBytes) / 2);
    std::memcpy(samples.data(), bytes.data() + kPcmWaveHeaderBytes, samples.size() * 2);
    return samples;
}

// libsamplerate on its own: the same converter, the whole signal in one call, then written out.
double ResampleDirectly(const fs::path& from, const fs::path& to, int converter)
{
    const auto start = Clock::now();
    const std::vector<short> input = ReadSamples(from);
    std::vector<float> in(input.size());
    src_short_to_float_array(input.data(), in.data(), static_cast<int>(input.size()));
    const double ratio = static_cast<double>(kTargetRate) / kSampleRate;
    std::vector<float> out(static_cast<std::size_t>(static_cast<double>(in.size()) * ratio) + 1024);
    SRC_DATA data{};
    data.data_in = in.data();
    data.data_out = out.data();
    data.input_frames = static_cast<long>(in.size() / kChannels);
    data.output_frames = static_cast<long>(out.size() / kChannels);
    data.src_ratio = ratio;
    if (const int error = src_simple(&data, converter, kChannels))
        throw std::runtime_error(src_strerror(error));
    std::vector<short> result(static_cast<std::size_t>(data.output_frames_gen) * kChannels);
    src_float_to_short_array(out.data(), result.data(), static_cast<int>(result.size()));
    std::ofstream file(to, std::ios::binary);
    const auto header =
        PcmWaveHeader(kChannels, kTargetRate, 16, static_cast<uint32_t>(result.size() * 2));
    file.write(reinterpret_cast<const char*>(header.data()), header.size());
    file.write(reinterpret_cast<const char*>(result.data()),
               static_cast<std::streamsize>(result.size() * 2));
    return SecondsSince(start);
}

void RaceQuality(CallDispatcher& dispatcher, const ScratchFolder& folder,
                 const SecondsOptions& options, TResamplerQuality quality, int converter,
                 const char* name)
{
    const double mb = options.seconds * kSampleRate * kFrameBytes / kBytesPerMb;
    const Comparison comparison(folder, "resample", mb, options.runs);
    const TimedRun ours = [&](const fs::path& from, const fs::path& to) {
        auto resampler = MakeComponent<TResampler>();
        resampler->SetQuality(quality);
        resampler->SetOutSampleRate(kTargetRate);
        auto out = MakeComponent<TWaveOut>();
        return ConvertThroughChain(dispatcher, from, to, *out, resampler.get()).finished;
    };
    const TimedRun direct = [&](const fs::path& from, const fs::path& to) {
        return ResampleDirectly(from, to, converter);
    };
    const TimedRun sox = [&](const fs::path& from, const fs::path& to) {
        return SecondsOf(
            [&] { RunTool("sox " + Quoted(from) + " -r 48000 " + Quoted(to.string() + ".wav")); });
    };
    const bool haveSox = HaveTool("sox");
    const auto best = comparison.BestOfTurns(haveSox ? std::vector{ours, direct, sox}
                                                     : std::vector{ours, direct});

    std::printf("\n%s, 44100 -> 48000 Hz, %.0f s of 16-bit stereo (%.1f MB)\n", name,
                options.seconds, comparison.Mb());
    comparison.PrintRow("ours", best[0]);
    comparison.PrintRow("libsamplerate directly", best[1]);
    if (haveSox)
        comparison.PrintRow("sox -r 48000", best[2]);
    const double ratio = best[0] / best[1];
    PrintRatioAgainstTarget("ours / libsamplerate", ratio, kTarget);
    if (haveSox)
        PrintRatio("ours / sox", best[0] / best[2], "time ratio, below 1 is faster than sox");
}

} // namespace
} // namespace corvath

int main(int argc, char** argv)
{
    using namespace corvath;
    return bench::RunBenchmark("resample_throughput", [&] {
        const SecondsOptions options = ParseSecondsOptions(argc, argv, 60, 5);
        const StartupCodecLibraries libraries;
        ScopedMainThread mainThread;
        const bench::ScratchFolder folder;
        std::printf("Resampling, best of %d runs (MB = 10^6 bytes)\n", options.runs);
        RaceQuality(mainThread.Dispatcher(), folder, options, rqBest, SRC_SINC_BEST_QUALITY,
                    "Best quality");
        RaceQuality(mainThread.Dispatcher(), folder, options, rqMedium, SRC_SINC_MEDIUM_QUALITY,
                    "Medium quality");
        RaceQuality(mainThread.Dispatcher(), folder, options, rqFastest, SRC_SINC_FASTEST,
                    "Fastest");
    });
}
