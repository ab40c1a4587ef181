#include "codecs/wav/wav_format.h"

#include "audio/wave/wave_out.h"
#include "codecs/finished_file_tags.h"

namespace corvath {

namespace {

Encoder MakeWavEncoder(const CodecOptions& /*options*/, bool adpcm)
{
    auto wave = MakeComponent<TWaveOut>();
    wave->SetWavType(adpcm ? wtDVIADPCM : wtPCM);
    auto setup = [out = wave.get()](const TrackRecord& track) {
        TagFinishedFiles(*out, FileTagFormat::Wav, track);
    };
    return {std::move(wave), setup};
}

} // namespace

OutputFormatInfo WavFormat()
{
    return {.format = OutputFormat::WAV,
            .shownName = "WAV file(*.WAV)",
            .extension = "wav",
            .name = "WAV",
            .makeEncoder = MakeWavEncoder};
}

} // namespace corvath
