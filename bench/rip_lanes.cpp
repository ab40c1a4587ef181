// Measures rips of a generated five-track disc served by a throttled drive at 8x and 24x into
// FLAC (level 2), MP3 (VBR quality 0) and APE (extra high). A rip that reads the next track
// while the last ones are encoded can come down to the larger of the time to read the whole
// disc and the time to encode every track on the rip's encoder lanes; one that does one after
// the other takes their sum. Prints each rip against that bound.
//   rip_lanes [--seconds N] [--runs N]     (300 s of audio, best of 1 run unless told)

#include "app/convert_batch.h"
#include "app/options_setting.h"
#include "app/rip_batch.h"
#include "codecs/startup_libraries.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "rip_bench_support.h"
#include "throttled_disc.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace corvath {
namespace {

using namespace bench;

constexpr uint32_t kTracks = 5;
constexpr double kWithin = 1.1;

// Runs the batch's steps at once, as a command line does, and notes a failure.
class QuietRip : public RipView {
public:
    void ShowCurrentTrack(const RipEntry&) override {}
    void ShowHint(const std::string&) override {}
    void ShowBarCaption(const std::string&) override {}
    void ShowBarPosition(int32_t) override {}
    void ShowCompleted(int32_t) override {}
    void ShowWritten(const RipEntry&, const std::string&) override {}
    void ShowChecksums(const TrackChecksumValues&) override {}
    void ShowVerdict(const RipEntry&, const TrackVerdict&) override {}
    void ShowError(const std::string& message) override { failure = message; }
    void ShowDriveFailure(const std::string& message) override { failure = message; }
    void ShowSummary(const RipResults&) override {}
    void Pause(int, std::function<void()> then) override { next.push_back(std::move(then)); }
    void Close() override { closed = true; }

    std::vector<std::function<void()>> next; // in turn
    std::string failure;
    bool closed = false;
};

class QuietConversion : public ConvertView {
public:
    void ShowFile(const std::string&, const std::string&, int32_t) override {}
    void ShowProgress(const std::string&, int32_t) override {}
    void ShowConverted(const std::string&, const std::string&) override {}
    void ShowEndedEarly(const std::string&, const EarlyEnd&) override {}
    void ShowFailed(const FailedFile& failed) override { failure = failed.reason; }
    void ShowFailures(const std::vector<FailedFile>&) override {}
    void Close() override { closed = true; }

    std::string failure;
    bool closed = false;
};

TOptionsSetting BenchSettings(const fs::path& folder)
{
    TOptionsSetting settings;
    settings.CommonOptions.OutputFolder = folder.string();
    settings.RipOptions.VerifyAccurateRip = false;
    settings.FLACOptions.Compression = 2;
    settings.Mp3Options.IsSelectVBR = true;
    settings.Mp3Options.VBRQuality = 0;
    settings.APEOptions.Compression = 4000;
    return settings;
}

// The seconds a rip of every track from the handle's disc into format takes.
double TimeRip(CallDispatcher& dispatcher, int32_t handle, OutputFormat format,
               const fs::path& folder)
{
    fs::create_directories(folder);
    const TOptionsSetting settings = BenchSettings(folder);
    RipJob job{handle, {}, format, {}, "throttled image"};
    for (uint32_t track = 1; track <= kTracks; ++track)
        job.tracks.push_back({static_cast<int32_t>(track), "Track " + std::to_string(track)});
    job.trackTotal = kTracks;
    QuietRip view;
    RipBatch batch(view, std::move(job), settings);
    const double seconds = SecondsOf([&] {
        batch.Start();
        while (!view.closed) {
            for (const std::function<void()>& step : std::exchange(view.next, {}))
                step();
            if (!view.closed && view.next.empty())
                dispatcher.WaitAndProcess(std::chrono::milliseconds(100));
        }
    });
    if (!view.failure.empty())
        throw std::runtime_error("the rip failed: " + view.failure);
    return seconds;
}

// The seconds the rip's encoder lanes take to encode the WAVs in from into format.
double TimeEncoding(CallDispatcher& dispatcher, const fs::path& from, OutputFormat format,
                    const fs::path& folder)
{
    fs::create_directories(folder);
    const TOptionsSetting settings = BenchSettings(folder);
    ConvertJob job;
    for (uint32_t track = 1; track <= kTracks; ++track)
        job.inputs.push_back((from / ("Track " + std::to_string(track) + ".wav")).string());
    job.format = format;
    job.reader = InputReader::Wave;
    job.outputFolder = folder.string();
    job.parallel = static_cast<int>(RipEncoderLanes(0));
    QuietConversion view;
    ConvertBatch batch(view, std::move(job), settings);
    const double seconds = SecondsOf([&] {
        batch.Start();
        while (!view.closed)
            dispatcher.WaitAndProcess(std::chrono::milliseconds(100));
    });
    if (!view.failure.empty())
        throw std::runtime_error("the encoding failed: " + view.failure);
    return seconds;
}

} // namespace
} // namespace corvath

int main(int argc, char** argv)
{
    using namespace corvath;
    return bench::RunBenchmark("rip_lanes", [&] {
        const SecondsOptions options = ParseSecondsOptions(argc, argv, 300, 30, 1);
        TAuOutput::SetDefaultDoneDelay(std::chrono::milliseconds(0));
        const StartupCodecLibraries libraries;
        ScopedMainThread mainThread;
        CallDispatcher& dispatcher = mainThread.Dispatcher();
        const ScratchFolder folder;
        const auto sectors =
            static_cast<uint32_t>(options.seconds * kSectorsPerSecond) / kTracks * kTracks;
        const fs::path image = WriteNoiseImage(folder, sectors, kTracks);
        const std::vector<std::pair<OutputFormat, const char*>> formats = {
            {OutputFormat::FLAC, "FLAC level 2"},
            {OutputFormat::MP3, "MP3 VBR quality 0"},
            {OutputFormat::APE, "APE extra high"}};

        std::printf("Rips of %.0f s of audio in %u tracks from a throttled drive, %zu encoder "
                    "lane(s) beside the reading, best of %d run(s)\n",
                    options.seconds, kTracks, RipEncoderLanes(0), options.runs);
        int run = 0;
        for (const double speed : {8.0, 24.0}) {
            const int32_t handle = ThrottledDisc::OpenHandle(image, speed);
            constexpr double kNever = std::numeric_limits<double>::max();
            double read = kNever;
            std::vector<double> encode(formats.size(), kNever);
            std::vector<double> rip(formats.size(), kNever);
            const fs::path wavs = folder / ("wav" + std::to_string(speed));
            for (int turn = 0; turn < options.runs; ++turn) {
                fs::remove_all(wavs);
                read = std::min(read, TimeRip(dispatcher, handle, OutputFormat::WAV, wavs));
                for (std::size_t i = 0; i < formats.size(); ++i) {
                    const fs::path out = folder / ("run" + std::to_string(run++));
                    encode[i] = std::min(
                        encode[i], TimeEncoding(dispatcher, wavs, formats[i].first, out / "e"));
                    rip[i] =
                        std::min(rip[i], TimeRip(dispatcher, handle, formats[i].first, out / "r"));
                    fs::remove_all(out);
                }
            }
            CloseCDHandle(handle);
            std::printf("\nAt %.0fx: reading the whole disc %.2f s\n", speed, read);
            for (std::size_t i = 0; i < formats.size(); ++i) {
                const double bound = std::max(read, encode[i]);
                std::printf("  %-20s encoding %6.2f s   rip %6.2f s   read + encode %6.2f s\n",
                            formats[i].second, encode[i], rip[i], read + encode[i]);
                PrintRatioAgainstTarget("    rip / max(read, encode)", rip[i] / bound, kWithin);
            }
        }
    });
}
