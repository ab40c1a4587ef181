#include "cli/convert_command.h"

#include "app/options_store.h"
#include "app/output_naming.h"
#include "audio/filters/audio_converter.h"
#include "audio/filters/resampler.h"
#include "audio/wave/wave_in.h"
#include "cli/disc_field_options.h"
#include "cli/encoder_factory.h"
#include "cli/progress_line.h"
#include "codecs/mp3_in.h"
#include "codecs/wm_in.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

namespace corvath::cli {

namespace {

struct ConvertOptions {
    std::string target;
    bool adpcm = false;
    uint32_t rate = 0;     // 0: as the input
    uint32_t bits = 0;     // 0: as the input
    uint32_t channels = 0; // 0: as the input
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
        return &options.rate;
    if (name == "--bits")
        return &options.bits;
    if (name == "--channels")
        return &options.channels;
    return nullptr;
}

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
    const bool knownTarget = options.target == "wav" || options.target == "mp3" ||
                             options.target == "ogg" || options.target == "wma" ||
                             options.target == "flac" || options.target == "ape";
    if (!knownTarget || options.inputs.empty() || options.outputFolder.empty()) {
        err << kUsage;
        return std::nullopt;
    }
    if (!std::filesystem::is_directory(options.outputFolder)) {
        err << "corvath-cli convert: the output folder " << options.outputFolder
            << " does not exist\n";
        return std::nullopt;
    }
    const bool bitsOk =
        options.bits == 0 || options.bits == 8 || options.bits == 16 || options.bits == 24;
    const bool channelsOk = options.channels <= 2;
    const bool rateOk = options.rate == 0 || (options.rate > 2000 && options.rate < 1000000);
    if (!bitsOk || !channelsOk || !rateOk) {
        err << "corvath-cli convert: --bits takes 8, 16 or 24, --channels 1 or 2, --rate 2001 to "
               "999999\n";
        return std::nullopt;
    }
    return options;
}

/// The readers of a batch, one of each kind, made when a file first needs them: MP3 and WMA
/// files go through the Windows Media reader, anything else is read as WAV.
class Sources {
public:
    TAuFileIn& For(const std::string& input)
    {
        std::string extension = std::filesystem::path(input).extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (extension == ".mp3")
            return Made(mp3_);
        if (extension == ".wma")
            return Made(wma_);
        return Made(wave_);
    }

private:
    template <typename Source> Source& Made(Owned<Source>& source)
    {
        if (!source)
            source = MakeComponent<Source>();
        return *source;
    }

    Owned<TWaveIn> wave_;
    Owned<TMP3In> mp3_;
    Owned<TWMIn> wma_;
};

} // namespace

int RunConvert(std::span<const std::string> args, std::ostream& out, std::ostream& err)
{
    const auto options = Parse(args, err);
    if (!options)
        return 2;

    TOptionsSetting settings;
    LoadOptions(settings, SettingsLocation::ForProgram());
    ScopedMainThread mainThread;
    int failures = 0;
    {
        Sources sources;
        Encoder encoder;
        try {
            encoder = MakeEncoder(options->target, options->adpcm, settings, options->disc);
        } catch (const std::exception& failure) {
            err << "corvath-cli: " << failure.what() << '\n';
            return 1;
        }
        TAuFileOut& sink = *encoder.sink;
        // The rate, size and channel changes of the WAV-to-WAV window: resampler, then converter.
        const bool reformat = options->rate != 0 || options->bits != 0 || options->channels != 0;
        Owned<TResampler> resampler;
        Owned<TAudioConverter> converter;
        if (reformat) {
            try {
                resampler = MakeComponent<TResampler>();
            } catch (const std::exception& failure) {
                err << "corvath-cli: " << failure.what() << '\n';
                return 1;
            }
            converter = MakeComponent<TAudioConverter>();
            converter->SetInput(resampler.get());
            converter->SetOutBitsPerSample(options->bits);
            converter->SetOutChannels(options->channels);
            sink.SetInput(converter.get());
        }
        const std::string folder = IncludeTrailingBackslash(options->outputFolder);
        for (const std::string& input : options->inputs) {
            const auto target =
                folder + std::filesystem::path(input).stem().string() + "." + options->target;
            TAuFileIn& source = sources.For(input);
            std::string error;
            try {
                source.SetFileName(input);
                if (!source.IsValid())
                    error = "not an audio file this program can read";
            } catch (const std::exception& failure) {
                error = failure.what();
            }
            ProgressLine progress(out, input);
            if (error.empty() && resampler) {
                resampler->SetInput(&source);
                resampler->SetOutSampleRate(options->rate != 0 ? options->rate
                                                               : source.GetSampleRate());
            } else if (error.empty()) {
                sink.SetInput(&source);
            }
            if (error.empty()) {
                sink.SetFileName(target);
                encoder.setup(source);
                error = RunToEnd(sink, mainThread.Dispatcher(), progress);
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
