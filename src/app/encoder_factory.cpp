#include "app/encoder_factory.h"

#include "app/encoder_setup.h"
#include "audio/wave/wave_out.h"
#include "codecs/flac_out.h"
#include "codecs/mac_out.h"
#include "codecs/mp3_in.h"
#include "codecs/mp3_out.h"
#include "codecs/vorbis_out.h"
#include "codecs/wma_out.h"

namespace corvath {

Encoder MakeEncoder(OutputFormat format, bool adpcm, const TOptionsSetting& settings,
                    const TDiscFields& disc)
{
    switch (format) {
    case OutputFormat::MP3: {
        auto mp3 = MakeComponent<TMP3Out>();
        auto setup = [out = mp3.get(), &settings](TAuFileIn&) { SetupMP3Out(*out, settings); };
        return {std::move(mp3), setup};
    }
    case OutputFormat::OGG: {
        auto vorbis = MakeComponent<TVorbisOut>();
        auto setup = [out = vorbis.get(), &settings, &disc](TAuFileIn&) {
            SetupVorbisOut(*out, settings, disc);
        };
        auto embedCover = [out = vorbis.get()](std::optional<CoverPicture> cover) {
            out->SetCoverPicture(std::move(cover));
        };
        return {std::move(vorbis), setup, embedCover};
    }
    case OutputFormat::FLAC: {
        auto flac = MakeComponent<TFLACOut>();
        auto setup = [out = flac.get(), &settings, &disc](TAuFileIn&) {
            SetupFLACOut(*out, settings, disc);
        };
        auto embedCover = [out = flac.get()](std::optional<CoverPicture> cover) {
            out->SetCoverPicture(std::move(cover));
        };
        return {std::move(flac), setup, embedCover};
    }
    case OutputFormat::APE: {
        auto ape = MakeComponent<TMACOut>();
        auto setup = [out = ape.get(), &settings](TAuFileIn&) { SetupMACOut(*out, settings); };
        return {std::move(ape), setup};
    }
    case OutputFormat::WMA: {
        auto wma = MakeComponent<TWMAOut>();
        // An MP3's tags are copied first; the settings' disc fields then replace them.
        auto setup = [out = wma.get(), &settings, &disc](TAuFileIn& source) {
            if (auto* mp3 = dynamic_cast<TMP3In*>(&source))
                out->SetId3v2Tags(mp3->Id3v2Tags());
            SetupWMAOut(*out, settings, disc);
        };
        return {std::move(wma), setup};
    }
    case OutputFormat::WAV:
        break;
    }
    auto wave = MakeComponent<TWaveOut>();
    wave->SetWavType(adpcm ? wtDVIADPCM : wtPCM);
    return {std::move(wave), [](TAuFileIn&) {}};
}

} // namespace corvath
