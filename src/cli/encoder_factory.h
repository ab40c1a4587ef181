#pragma once

#include "app/disc_info_store.h"
#include "app/options_setting.h"
#include "audio/model/au_file_in.h"
#include "audio/model/au_file_out.h"
#include "audio/model/component.h"

#include <functional>
#include <string>

namespace corvath::cli {

/// The encoder of a target format, configured from the settings before each file (with the
/// file's source at hand, whose tags some conversions copy first).
struct Encoder {
    Owned<TAuFileOut> sink;
    std::function<void(TAuFileIn& source)> setup;
};

/// The output for target "mp3", "ogg", "flac", "ape" or "wma", set up as the program sets it up
/// from settings and, for the formats that write tags, the disc fields; any other target gives
/// a WAV writer (IMA ADPCM when adpcm is set). The setup refers to settings and disc, which
/// must outlive the encoder. Throws when the format's library cannot be loaded.
Encoder MakeEncoder(const std::string& target, bool adpcm, const TOptionsSetting& settings,
                    const TDiscFields& disc);

} // namespace corvath::cli
