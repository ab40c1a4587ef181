#include "cli/convert_command.h"

#include "app/conversion_chain.h"
#include "app/options_store.h"
#include "app/output_naming.h"
#include "cli/disc_field_options.h"
#include "cli/progress_line.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
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
};

constexpr const char* kUsage =
    "Usage: corvath-cli convert --to wav|mp3|ogg|wma|flac|ape [--adpcm] [--artist A] [--album A]\n"
    "                           [--year Y] [--genre G] [--comment C] IN... -o DIR\n"
    "       IN: WAV, MP3 or WMA files\n";

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
        } else if (arg == "-o" && hasValue) {
            options.outputFolder = args[++i];
        } else if (IsDiscFieldOption(arg) && hasValue) {
            if (!ApplyDiscFieldOption(arg, args[++i], options.disc, err, "convert"))
                return std::nullopt;
        } else if (uint32_t* value = FormatOption(options, arg); value != nullptr && hasValue) {
            *value = static_cast<uint32_t>(std::strtoul(args[++i].c_str(), nullptr, 10));
        } else if (arg == "--adpcm") {
            options.adpcm = true;
        } else if (arg.starts_with("-")) {
            err << "corvath-cli convert: unknown option " << arg << '\n';
            return std::nullopt;
        } else {
            options.inputs.push_back(arg);
        }
    }
    if (options.target == nullptr || options.inputs.empty() || options.outputFolder.empty()) {
        err << kUsage;
        return std::nullopt;
    }
    if (!std::filesystem::is_directory(options.outputFolder)) {
        err << "corvath-cli convert: the output folder " << options.outputFolder
            << " does not exist\n";
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

} // namespace

int RunConvert(std::span<const std::string> args, std::ostream& out, std::ostream& err)
{
    const auto options = Parse(args, err);
    if (!options)
        return 2;

    TOptionsSetting settings;
    LoadOptions(settings, SettingsLocation::ForProgram());
    ScopedMainThread mainThread;
    std::optional<ConversionChain> chain;
    try {
        chain.emplace(options->target->format, options->adpcm, options->change, settings,
                      options->disc);
    } catch (const std::exception& failure) {
        err << "corvath-cli: " << failure.what() << '\n';
        return 1;
    }
    int failures = 0;
    for (const std::string& input : options->inputs) {
        const std::string target =
            OutputFilePath(options->outputFolder, std::filesystem::path(input).stem().string(),
                           options->target->format);
        ProgressLine progress(out, input);
        std::string error = chain->Prepare(input, target);
        if (error.empty())
            error = RunToEnd(chain->Sink(), mainThread.Dispatcher(), progress);
        progress.End(error.empty() ? "100% -> " + target : "");
        if (!error.empty()) {
            ++failures;
            err << "corvath-cli: " << input << ": " << error << '\n';
        }
    }
    return failures == 0 ? 0 : 1;
}

} // namespace corvath::cli
