#include "cli/encoder_factory.h"

#include "app/encoder_setup.h"
#include "audio/wave/wave_out.h"
#include "codecs/flac_out.h"
#include "codecs/mac_out.h"
#include "codecs/mp3_in.h"
#include "codecs/mp3_out.h"
#include "codecs/vorbis_out.h"
#include "codecs/wma_out.h"

namespace corvath::cli {

Encoder MakeEncoder(const std::string& target, bool adpcm, const TOptionsSetting& settings,
                    const TDiscFields& disc)
{
    if (target == "mp3") {
        auto mp3 = MakeComponent<TMP3Out>();
        auto setup = [out = mp3.get(), &settings](TAuFileIn&) { SetupMP3Out(*out, settings); };
        return {std::move(mp3), setup};
    }
    if (target == "ogg") {
        auto vorbis = MakeComponent<TVorbisOut>();
        auto setup = [out = vorbis.get(), &settings, &disc](TAuFileIn&) {
            SetupVorbisOut(*out, settings, disc);
        };
        return {std::move(vorbis), setup};
    }
    if (target == "flac") {
        auto flac = MakeComponent<TFLACOut>();
        auto setup = [out = flac.get(), &settings, &disc](TAuFileIn&) {
            SetupFLACOut(*out, settings, disc);
        };
        return {std::move(flac), setup};
    }
    if (target == "ape") {
        auto ape = MakeComponent<TMACOut>();
        auto setup = [out = ape.get(), &settings](TAuFileIn&) { SetupMACOut(*out, settings); };
        return {std::move(ape), setup};
    }
    if (target == "wma") {
        auto wma = MakeComponent<TWMAOut>();
        // An MP3's tags are copied first; the settings' disc fields then replace them.
        auto setup = [out = wma.get(), &settings, &disc](TAuFileIn& source) {
            if (auto* mp3 = dynamic_cast<TMP3In*>(&source))
                out->SetId3v2Tags(mp3->Id3v2Tags());
            SetupWMAOut(*out, settings, disc);
        };
        return {std::move(wma), setup};
    }
    auto wave = MakeComponent<TWaveOut>();
    wave->SetWavType(adpcm ? wtDVIADPCM : wtPCM);
    return {std::move(wave), [](TAuFileIn&) {}};
}

} // namespace corvath::cli
