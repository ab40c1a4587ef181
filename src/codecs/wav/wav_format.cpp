#include "codecs/wav/wav_format.h"

#include "audio/wave/wave_out.h"

namespace corvath {

namespace {

Encoder MakeWavEncoder(const CodecOptions& /*options*/, bool adpcm)
{
    auto wave = MakeComponent<TWaveOut>();
    wave->SetWavType(adpcm ? wtDVIADPCM : wtPCM);
    return {std::move(wave), [](const TrackRecord&) {}};
}

} // namespace

OutputFormatInfo WavFormat()
{
    return {OutputFormat::WAV, "WAV file(*.WAV)", "wav", "WAV", {}, {}, {}, MakeWavEncoder};
}

} // namespace corvath
