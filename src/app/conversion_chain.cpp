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

} // namespace

ConversionChain::ConversionChain(OutputFormat format, bool adpcm, const SampleFormatChange& change,
                                 const TOptionsSetting& settings, const TDiscFields& disc)
    : encoder_(MakeEncoder(format, adpcm, settings, disc)), change_(change)
{
    if (change.rate == 0 && change.bits == 0 && change.channels == 0)
        return;
    resampler_ = MakeComponent<TResampler>();
    converter_ = MakeComponent<TAudioConverter>();
    converter_->SetInput(resampler_.get());
    converter_->SetOutBitsPerSample(change.bits);
    converter_->SetOutChannels(change.channels);
    encoder_.sink->SetInput(converter_.get());
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

std::string ConversionChain::Prepare(const std::string& input, const std::string& target)
{
    TAuFileIn& source = SourceFor(input);
    try {
        source.SetFileName(input);
        if (!source.IsValid())
            return "not an audio file this program can read";
        if (resampler_) {
            resampler_->SetInput(&source);
            resampler_->SetOutSampleRate(change_.rate != 0 ? change_.rate : source.GetSampleRate());
        } else {
            encoder_.sink->SetInput(&source);
        }
        encoder_.sink->SetFileName(target);
        encoder_.setup(source);
    } catch (const std::exception& failure) {
        return failure.what();
    }
    return {};
}

} // namespace corvath
