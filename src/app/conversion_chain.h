#pragma once

#include "audio/filters/audio_converter.h"
#include "audio/filters/loudness_meter.h"
#include "audio/filters/resampler.h"
#include "audio/wave/wave_in.h"
#include "codecs/mp3/mp3_in.h"
#include "codecs/output_format.h"
#include "codecs/wma/wm_in.h"

#include <cstdint>
#include <optional>
#include <string>

namespace corvath {

/// Sample format changes on the way to the encoder; 0 keeps the input's.
struct SampleFormatChange {
    uint32_t rate = 0;
    uint32_t bits = 0;
    uint32_t channels = 0;
};

/// An input that delivered less sound than its header announced.
struct EarlyEnd {
    double arrivedSeconds = 0;
    double announcedSeconds = 0;
};

/// Which reader takes the inputs: chosen by each file's extension, or one for all.
enum class InputReader { ByExtension, Wave, Mp3, Wma };

/// The components that convert a batch of files into one output format: a reader per kind of
/// input, made when a file first needs it (MP3 and WMA files go through the Windows Media
/// reader, anything else is read as WAV); a resampler then a sample format converter when the
/// format changes; the format's encoder last. The settings must outlive the chain. Main thread.
class ConversionChain {
public:
    /// With measureLoudness, the format's files get their track's loudness tags as each is
    /// complete, when the format has a place for them. Throws when the encoder's, the
    /// resampler's or the loudness meter's library cannot be loaded.
    ConversionChain(OutputFormat format, bool adpcm, const SampleFormatChange& change,
                    const CodecOptions& settings, bool measureLoudness = false);

    /// Reads every later input with reader.
    void ReadAs(InputReader reader) { reader_ = reader; }

    /// Readies the chain to write input into target, a file of track: opens the input, connects
    /// it and sets the encoder up. The reason the input cannot go, empty when Sink().Start() may
    /// run.
    std::string Prepare(const std::string& input, const std::string& target,
                        const TrackRecord& track);

    /// The chain's end, to start and to watch for progress and its end.
    TAuFileOut& Sink() { return *encoder_.sink; }

    /// After a whole run: how short the prepared input fell of its announced length, if it did.
    std::optional<EarlyEnd> EarlyEndOfInput() const;

    /// After a run that read its input to the end: the loudness of what it encoded, to pool
    /// into an album. Nothing when the chain does not measure.
    std::optional<TrackLoudness> TakeLoudness();

private:
    TAuFileIn& SourceFor(const std::string& input);
    /// What reaches the encoder comes from input, through the meter when there is one.
    void FeedEncoder(TAuInput* input);
    /// The file's tag step, then its loudness tags.
    void AddLoudnessStep();

    Owned<TWaveIn> wave_;
    Owned<TMP3In> mp3_;
    Owned<TWMIn> wma_;
    Encoder encoder_;
    const SampleFormatChange change_;
    InputReader reader_ = InputReader::ByExtension;
    Owned<TResampler> resampler_; // with the converter, only when the format changes
    Owned<TAudioConverter> converter_;
    std::optional<LoudnessTagFormat> loudnessTags_; // with the meter, only when measuring
    Owned<TLoudnessMeter> meter_;
    TAuFileIn* source_ = nullptr; // of the prepared input
    uint32_t bytesPerSecond_ = 0; // of the prepared input
};

} // namespace corvath
