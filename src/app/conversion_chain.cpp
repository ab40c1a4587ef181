#include "app/conversion_chain.h"

#include "platform/text/ascii_case.h"

#include <exception>
#include <filesystem>

namespace corvath {

namespace {

template <typename Source> Source& Made(Owned<Source>& source)
{
    if (!source)
        source = MakeComponent<Source>();
    return *source;
}

// Rates and channel counts no format here can take, which the encoders would size their
// buffers by: refused before anything is made of them.
constexpr uint32_t kHighestRate = 768000;
constexpr uint32_t kMostChannels = 8;

// Lengths read from MP3 headers come in hundredths of a second, or are estimated from the bit
// rate; a shortfall below this is no sign of a damaged file.
constexpr double kEarlyEndSlackSeconds = 0.1;

std::string SoundFormatProblem(TAuFileIn& source)
{
    const uint32_t rate = source.GetSampleRate();
    if (rate < 1 || rate > kHighestRate)
        return "its sample rate of " + std::to_string(rate) + " Hz is outside 1 Hz to 768 kHz";
    const uint32_t channels = source.GetChannels();
    if (channels < 1 || channels > kMostChannels)
        return "it has " + std::to_string(channels) + " channels; 1 to 8 can be converted";
    return {};
}

} // namespace

ConversionChain::ConversionChain(OutputFormat format, bool adpcm, const SampleFormatChange& change,
                                 const CodecOptions& settings, bool measureLoudness)
    : encoder_(MakeEncoder(format, adpcm, settings)), change_(change)
{
    if (measureLoudness && InfoOf(format).loudnessTags) {
        loudnessTags_ = InfoOf(format).loudnessTags;
        meter_ = MakeComponent<TLoudnessMeter>();
        encoder_.sink->SetInput(meter_.get());
    }
    if (change.rate == 0 && change.bits == 0 && change.channels == 0)
        return;
    resampler_ = MakeComponent<TResampler>();
    converter_ = MakeComponent<TAudioConverter>();
    converter_->SetInput(resampler_.get());
    converter_->SetOutBitsPerSample(change.bits);
    converter_->SetOutChannels(change.channels);
    FeedEncoder(converter_.get());
}

void ConversionChain::FeedEncoder(TAuInput* input)
{
    if (meter_)
        meter_->SetInput(input);
    else
        encoder_.sink->SetInput(input);
}

void ConversionChain::AddLoudnessStep()
{
    TAuFileOut& sink = *encoder_.sink;
    sink.SetCompletedFileStep([tagStep = sink.CompletedFileStep(), meter = meter_.get(),
                               format = *loudnessTags_](const std::string& file) {
        if (tagStep)
            tagStep(file);
        if (const std::optional<Loudness> loudness = meter->FinishedLoudness())
            WriteLoudnessTags(file, format, *loudness, std::nullopt);
    });
}

TAuFileIn& ConversionChain::SourceFor(const std::string& input)
{
    InputReader reader = reader_;
    if (reader == InputReader::ByExtension) {
        const std::string extension = std::filesystem::path(input).extension().string();
        reader = EqualIgnoringCase(extension, ".mp3")   ? InputReader::Mp3
                 : EqualIgnoringCase(extension, ".wma") ? InputReader::Wma
                                                        : InputReader::Wave;
    }
    switch (reader) {
    case InputReader::Mp3:
        return Made(mp3_);
    case InputReader::Wma:
        return Made(wma_);
    default:
        return Made(wave_);
    }
}

std::string ConversionChain::Prepare(const std::string& input, const std::string& target,
                                     const TrackRecord& track)
{
    TAuFileIn& source = SourceFor(input);
    source_ = nullptr;
    try {
        source.SetFileName(input);
        if (!source.IsValid())
            return "not an audio file this program can read";
        if (std::string problem = SoundFormatProblem(source); !problem.empty())
            return problem;
        source_ = &source;
        bytesPerSecond_ =
            source.GetSampleRate() * source.GetChannels() * (source.GetBitsPerSample() / 8);
        if (resampler_) {
            resampler_->SetInput(&source);
            resampler_->SetOutSampleRate(change_.rate != 0 ? change_.rate : source.GetSampleRate());
        } else {
            FeedEncoder(&source);
        }
        encoder_.sink->SetFileName(target);
        // The set-up gives the file's own tag step anew; the loudness step goes after it.
        encoder_.sink->SetCompletedFileStep({});
        encoder_.setup(track);
        if (meter_)
            AddLoudnessStep();
    } catch (const std::exception& failure) {
        return failure.what();
    }
    return {};
}

std::optional<TrackLoudness> ConversionChain::TakeLoudness()
{
    return meter_ ? meter_->TakeMeasurement() : std::nullopt;
}

std::optional<EarlyEnd> ConversionChain::EarlyEndOfInput() const
{
    if (source_ == nullptr || bytesPerSecond_ == 0)
        return std::nullopt;
    const double arrived = static_cast<double>(source_->Position()) / bytesPerSecond_;
    const double announced = static_cast<double>(source_->AnnouncedSize()) / bytesPerSecond_;
    if (announced - arrived < kEarlyEndSlackSeconds)
        return std::nullopt;
    return EarlyEnd{arrived, announced};
}

} // namespace corvath
