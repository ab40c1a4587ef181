// Measures our encoders against the codecs' own command-line tools at the same settings, on the
// same generated WAV file: FLAC level 5 against `flac -5`, MP3 at 128 kbit/s and the output's
// default quality 5 against `lame -b 128 -q 5`, Ogg Vorbis quality 0.2 against `oggenc -q 2`.
//   codec_throughput [--seconds N] [--runs N]

#include "bench_support.h"
#include "codecs/flac/flac_out.h"
#include "codecs/mp3/mp3_out.h"
#include "codecs/startup_libraries.h"
#include "codecs/vorbis/vorbis_out.h"

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

namespace corvath {
namespace {

using namespace bench;

// Ours may take this much longer than the codec's own tool.
constexpr double kTarget = 1.10;

/// One codec's race: our sink, made and configured by make, against a tool command line
/// ("%in" and "%out" stand for the files).
struct Race {
    std::string id; // names its scratch files
    std::string name;
    std::string toolLabel;
    std::function<Owned<TAuFileOut>()> make;
    std::string tool;
    std::string command;
};

std::string Expand(std::string command, const fs::path& from, const fs::path& to)
{
    command.replace(command.find("%in"), 3, Quoted(from));
    command.replace(command.find("%out"), 4, Quoted(to));
    return command;
}

void RunRace(CallDispatcher& dispatcher, const ScratchFolder& folder, const SecondsOptions& options,
             const Race& race)
{
    const double mb = options.seconds * kSampleRate * kFrameBytes / kBytesPerMb;
    const Comparison comparison(folder, race.id, mb, options.runs);
    const TimedRun ours = [&](const fs::path& from, const fs::path& to) {
        const auto sink = race.make();
        return ConvertThroughChain(dispatcher, from, to, *sink).finished;
    };
    const TimedRun theirs = [&](const fs::path& from, const fs::path& to) {
        return SecondsOf([&] { RunTool(Expand(race.command, from, to)); });
    };
    const bool haveTool = HaveTool(race.tool);
    const auto best =
        comparison.BestOfTurns(haveTool ? std::vector{ours, theirs} : std::vector{ours});

    std::printf("\n%s, %.0f s of 16-bit stereo 44.1 kHz (%.1f MB)\n", race.name.c_str(),
                options.seconds, comparison.Mb());
    comparison.PrintRow("ours", best[0]);
    if (!haveTool) {
        std::printf("  %s is not installed: no comparison\n", race.tool.c_str());
        return;
    }
    comparison.PrintRow(race.toolLabel, best[1]);
    const double ratio = best[0] / best[1];
    PrintRatioAgainstTarget("ours / tool", ratio, kTarget);
}

std::vector<Race> Races()
{
    return {
        {"flac", "FLAC level 5", "flac -5",
         [] {
             auto out = MakeComponent<TFLACOut>();
             out->SetCompressionLevel(5);
             return Owned<TAuFileOut>(std::move(out));
         },
         "flac", "flac -5 -s -f -o %out %in"},
        {"mp3", "MP3 128 kbit/s", "lame -b 128 -q 5",
         [] {
             auto out = MakeComponent<TMP3Out>();
             out->SetBitRate(TMP3BitRate::br128);
             return Owned<TAuFileOut>(std::move(out));
         },
         "lame", "lame --quiet -b 128 -q 5 %in %out"},
        {"ogg", "Ogg Vorbis quality 0.2", "oggenc -q 2",
         [] {
             auto out = MakeComponent<TVorbisOut>();
             out->SetCompression(0.2f);
             return Owned<TAuFileOut>(std::move(out));
         },
         "oggenc", "oggenc --quiet -q 2 -o %out %in"},
    };
}

} // namespace
} // namespace corvath

int main(int argc, char** argv)
{
    using namespace corvath;
    return bench::RunBenchmark("codec_throughput", [&] {
        const SecondsOptions options = ParseSecondsOptions(argc, argv, 90, 10);
        const StartupCodecLibraries libraries;
        ScopedMainThread mainThread;
        const bench::ScratchFolder folder;
        std::printf("Encoders against their own tools, best of %d runs (MB = 10^6 bytes)\n",
                    options.runs);
        for (const auto& race : Races())
            RunRace(mainThread.Dispatcher(), folder, options, race);
    });
}
