#include "cli/convert_command.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <vector>

#include "app/output_naming.h"
#include "audio/call_dispatcher.h"
#include "audio/wave_in.h"
#include "audio/wave_out.h"

namespace corvath::cli {

namespace {

struct ConvertOptions {
    std::string target;
    bool adpcm = false;
    bool formatChange = false; // --rate, --bits or --channels
    std::vector<std::string> inputs;
    std::string outputFolder;
};

std::optional<ConvertOptions> Parse(std::span<const std::string> args, std::ostream& err)
{
    ConvertOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--to" && hasValue) {
            options.target = args[++i];
        } else if (arg == "-o" && hasValue) {
            options.outputFolder = args[++i];
        } else if ((arg == "--rate" || arg == "--bits" || arg == "--channels") && hasValue) {
            options.formatChange = true;
            ++i;
        } else if (arg == "--adpcm") {
            options.adpcm = true;
        } else if (arg.starts_with("-")) {
            err << "corvath-cli convert: unknown option " << arg << '\n';
            return std::nullopt;
        } else {
            options.inputs.push_back(arg);
        }
    }
    if (options.target != "wav" || options.inputs.empty() || options.outputFolder.empty()) {
        err << "Usage: corvath-cli convert --to wav [--adpcm] IN... -o DIR\n";
        return std::nullopt;
    }
    if (!std::filesystem::is_directory(options.outputFolder)) {
        err << "corvath-cli convert: the output folder " << options.outputFolder << " does not exist\n";
        return std::nullopt;
    }
    if (options.formatChange) {
        err << "corvath-cli convert: changing the rate, bits or channels is not available yet\n";
        return std::nullopt;
    }
    return options;
}

// One file's progress, rewritten in place on one terminal line.
class ProgressLine {
public:
    ProgressLine(std::ostream& out, std::string label) : out_(out), label_(std::move(label)) {}

    void Show(int percent)
    {
        if (percent < 0 || percent == shown_)
            return;
        shown_ = percent;
        out_ << '\r' << label_ << ": " << percent << '%' << std::flush;
    }
    /// Ends the line: with the result when there is one, else just the line break.
    void End(const std::string& result)
    {
        if (!result.empty())
            out_ << '\r' << label_ << ": " << result << '\n';
        else if (shown_ >= 0)
            out_ << '\n';
    }

private:
    std::ostream& out_;
    std::string label_;
    int shown_ = -1;
};

// Runs one sink to its end on this thread; returns its error, empty on success.
std::string RunToEnd(TAuOutput& sink, CallDispatcher& main, ProgressLine& progress)
{
    std::atomic<bool> done{false};
    sink.SetOnProgress([&](TAuOutput* sender) { progress.Show(sender->PercentDone()); });
    sink.SetOnDone([&](TAuOutput*) { done = true; });
    sink.Start();
    while (!done)
        main.WaitAndProcess(std::chrono::milliseconds(50));
    sink.SetOnProgress(nullptr);
    sink.SetOnDone(nullptr);
    return sink.LastError();
}

} // namespace

int RunConvert(std::span<const std::string> args, std::ostream& out, std::ostream& err)
{
    const auto options = Parse(args, err);
    if (!options)
        return 2;

    ScopedMainThread mainThread;
    CallDispatcher& main = mainThread.Dispatcher();
    int failures = 0;
    {
        auto source = MakeComponent<TWaveIn>();
        auto sink = MakeComponent<TWaveOut>();
        sink->SetInput(source.get());
        sink->SetWavType(options->adpcm ? wtDVIADPCM : wtPCM);
        const std::string folder = IncludeTrailingBackslash(options->outputFolder);
        for (const std::string& input : options->inputs) {
            const auto target = folder + std::filesystem::path(input).stem().string() + ".wav";
            std::string error;
            try {
                source->SetFileName(input);
                if (!source->IsValid())
                    error = "not a WAV file this program can read";
            } catch (const std::exception& failure) {
                error = failure.what();
            }
            ProgressLine progress(out, input);
            if (error.empty()) {
                sink->SetFileName(target);
                error = RunToEnd(*sink, main, progress);
            }
            progress.End(error.empty() ? "100% -> " + target : "");
            if (!error.empty()) {
                ++failures;
                err << "corvath-cli: " << input << ": " << error << '\n';
            }
        }
    }
    return failures == 0 ? 0 : 1;
}

} // namespace corvath::cli
