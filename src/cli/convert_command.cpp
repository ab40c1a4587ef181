#include "cli/convert_command.h"

#include "app/conversion_lanes.h"
#include "app/convert_batch.h"
#include "app/file_name_pattern.h"
#include "app/options_store.h"
#include "audio/model/call_dispatcher.h"
#include "cli/batch_lines.h"
#include "cli/command_help.h"
#include "cli/disc_field_options.h"
#include "cli/format_choices.h"
#include "cli/jobs_option.h"
#include "cli/parse_number.h"
#include "cli/settings_command.h"
#include "cli/terminal_text.h"
#include "platform/process/stop_signals.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace corvath::cli {

namespace {

struct ConvertOptions {
    const OutputFormatInfo* target = nullptr;
    bool adpcm = false;
    SampleFormatChange change;
    TDiscFields disc;
    std::vector<std::string> inputs;
    std::string outputFolder;
    int jobs = ConversionLanes(0);
    std::string namePattern;                  // none: after the inputs
    std::optional<ReplayGainMode> replayGain; // none: the settings' mode, for tracks
    bool quiet = false;
};

// The sample-format options: where each one's value goes.
uint32_t* FormatOption(ConvertOptions& options, const std::string& name)
{
    if (name == "--rate")
        return &options.change.rate;
    if (name == "--bits")
        return &options.change.bits;
    if (name == "--channels")
        return &options.change.channels;
    return nullptr;
}

std::optional<ConvertOptions> Parse(std::span<const std::string> args, std::ostream& err)
{
    ConvertOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--to" && hasValue) {
            options.target = FormatByExtension(args[++i]);
            if (options.target == nullptr) {
                err << "corvath-cli convert: unknown format " << args[i] << '\n'
                    << ShortUsage("convert");
                return std::nullopt;
            }
        } else if (arg == "-o" && hasValue) {
            options.outputFolder = args[++i];
        } else if (IsDiscFieldOption(arg) && hasValue) {
            if (!ApplyDiscFieldOption(arg, args[++i], options.disc, err, "convert"))
                return std::nullopt;
        } else if (uint32_t* value = FormatOption(options, arg); value != nullptr && hasValue) {
            const std::optional<uint32_t> number = ParseNumber<uint32_t>(args[++i]);
            if (!number) {
                err << "corvath-cli convert: " << arg << " takes a number, not " << args[i] << '\n';
                return std::nullopt;
            }
            *value = *number;
        } else if (const std::optional<std::string_view> attached = AttachedJobs(arg);
                   attached || ((arg == "-j" || arg == "--jobs") && hasValue)) {
            const std::optional<int> jobs =
                ParseJobs("convert", attached ? std::string(*attached) : args[++i], err);
            if (!jobs)
                return std::nullopt;
            options.jobs = *jobs;
        } else if (arg == "--name" && hasValue) {
            options.namePattern = args[++i];
            if (const std::string problem = FileNamePatternProblem(options.namePattern);
                !problem.empty()) {
                err << "corvath-cli convert: " << problem << '\n';
                return std::nullopt;
            }
        } else if (arg == "--replaygain" && hasValue) {
            options.replayGain = ReplayGainChoice(args[++i]);
            if (!options.replayGain) {
                err << "corvath-cli convert: --replaygain takes off, track or album\n";
                return std::nullopt;
            }
        } else if (arg == "--adpcm") {
            options.adpcm = true;
        } else if (arg == "--quiet" || arg == "-q") {
            options.quiet = true;
        } else if (arg.starts_with("-")) {
            err << "corvath-cli convert: " << arg
                << (TakesValue("convert", arg) ? " needs a value\n" : " is an unknown option\n")
                << ShortUsage("convert");
            return std::nullopt;
        } else {
            options.inputs.push_back(arg);
        }
    }
    if (options.target == nullptr || options.inputs.empty() || options.outputFolder.empty()) {
        err << "corvath-cli convert: "
            << (options.target == nullptr ? "--to FORMAT"
                : options.inputs.empty()  ? "a file to convert"
                                          : "-o DIR")
            << " is missing\n"
            << ShortUsage("convert");
        return std::nullopt;
    }
    const SampleFormatChange& change = options.change;
    const bool bitsOk =
        change.bits == 0 || change.bits == 8 || change.bits == 16 || change.bits == 24;
    const bool channelsOk = change.channels <= 2;
    const bool rateOk = change.rate == 0 || (change.rate > 2000 && change.rate < 1000000);
    if (!bitsOk || !channelsOk || !rateOk) {
        err << "corvath-cli convert: --bits takes 8, 16 or 24, --channels 1 or 2, --rate 2001 to "
               "999999\n";
        return std::nullopt;
    }
    return options;
}

// Makes the folder and those above it that are missing; false, with the reason on err, when it
// cannot be made.
bool MakeOutputFolder(const std::string& folder, std::ostream& err)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (std::filesystem::is_directory(folder))
        return true;
    err << "corvath-cli convert: cannot make the output folder " << TerminalText(folder) << ": "
        << (error ? error.message() : "it is not a folder") << '\n';
    return false;
}

// To a tenth, as "10.0 s".
std::string Seconds(double seconds)
{
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.1f s", seconds);
    return text.data();
}

// What both ways of showing a batch print alike.
class ConvertLines : public ConvertView, public BatchLines {
public:
    using BatchLines::BatchLines;

    void ShowEndedEarly(const std::string& input, const EarlyEnd& early) override
    {
        err_ << "corvath-cli: warning: " << TerminalText(input)
             << " ended early: " << Seconds(early.arrivedSeconds) << " of "
             << Seconds(early.announcedSeconds) << '\n';
    }
    void Close() override
    {
        MarkOver();
        const int total = converted_ + failed_;
        summaryOut_ << converted_ << " of " << total << (total == 1 ? " file" : " files")
                    << " converted";
        if (failed_ > 0)
            summaryOut_ << ", " << failed_ << " failed";
        summaryOut_ << std::endl;
    }

protected:
    void CountConverted() { ++converted_; }
    void PrintFailure(const FailedFile& failure)
    {
        err_ << "corvath-cli: " << TerminalText(failure.input) << ": "
             << TerminalText(failure.reason) << '\n';
        ++failed_;
        MarkFailed();
    }

private:
    int converted_ = 0;
    int failed_ = 0;
};

// One file at a time: its progress on a line of its own, failures on the error stream as they
// happen.
class ConvertProgressLines : public ConvertLines {
public:
    using ConvertLines::ConvertLines;

    void ShowFile(const std::string& input, const std::string&, int32_t) override
    {
        StartLine(input);
    }
    void ShowProgress(const std::string&, int32_t percent) override { ShowPercent(percent); }
    void ShowConverted(const std::string&, const std::string& output) override
    {
        EndLine("100% -> " + output);
        CountConverted();
    }
    void ShowFailed(const FailedFile& failure) override
    {
        EndLine();
        PrintFailure(failure);
    }
    void ShowFailures(const std::vector<FailedFile>&) override { MarkFailed(); }
};

// Several files at once: a line for each file as it is done, the failures listed at the end so
// that they stay together.
class ConvertFinishLines : public ConvertLines {
public:
    using ConvertLines::ConvertLines;

    void ShowFile(const std::string&, const std::string&, int32_t) override {}
    void ShowProgress(const std::string&, int32_t) override {}
    void ShowConverted(const std::string& input, const std::string& output) override
    {
        out_ << TerminalText(input) << ": 100% -> " << TerminalText(output) << std::endl;
        CountConverted();
    }
    void ShowFailed(const FailedFile&) override {}
    void ShowFailures(const std::vector<FailedFile>& failures) override
    {
        for (const FailedFile& failure : failures)
            PrintFailure(failure);
    }
};

} // namespace

int RunConvert(std::span<const std::string> args, std::ostream& out, std::ostream& err,
               ProgressStyle progress)
{
    const auto options = Parse(args, err);
    if (!options)
        return 2;
    if (!MakeOutputFolder(options->outputFolder, err))
        return 1;

    const TOptionsSetting settings = LoadSettings(SettingsLocation::ForProgram(), err);
    const StopSignals signals;
    ScopedMainThread mainThread;
    const BatchStyle style{progress, options->quiet};
    ConvertProgressLines oneAtATime(out, err, style);
    ConvertFinishLines severalAtOnce(out, err, style);
    const bool several = options->jobs > 1 && options->inputs.size() > 1;
    ConvertLines& lines = several ? static_cast<ConvertLines&>(severalAtOnce) : oneAtATime;
    ConvertBatch batch(
        lines,
        {options->inputs, options->target->format, InputReader::ByExtension, options->outputFolder,
         options->disc, options->adpcm, options->change, options->jobs, options->namePattern,
         options->replayGain.value_or(ConversionReplayGain(settings.CommonOptions.ReplayGain))},
        settings);
    batch.Start();
    return lines.RunToEnd(mainThread.Dispatcher(), signals, [&] { batch.Stop(); });
}

} // namespace corvath::cli
