#pragma once

#include "app/disc_info_store.h"
#include "app/options_setting.h"
#include "app/output_format.h"
#include "audio/model/au_file_in.h"
#include "audio/model/au_file_out.h"
#include "audio/model/component.h"
#include "tags/cover_picture.h"

#include <functional>
#include <optional>

namespace corvath {

/// The encoder of an output format, configured from the settings before each file (with the
/// file's source at hand, whose tags some conversions copy first).
struct Encoder {
    Owned<TAuFileOut> sink;
    std::function<void(TAuFileIn& source)> setup;
    /// Sets the front cover every later file embeds; empty for the formats that embed none.
    std::function<void(std::optional<CoverPicture> cover)> embedCover{};
};

/// The output of a format, set up as the program sets it up from the settings and, for the
/// formats that write tags, the disc fields; WAV is written as IMA ADPCM when adpcm is set. The
/// setup refers to settings and disc, which must outlive the encoder. Throws when the format's
/// library cannot be loaded.
Encoder MakeEncoder(OutputFormat format, bool adpcm, const TOptionsSetting& settings,
                    const TDiscFields& disc);

} // namespace corvath
