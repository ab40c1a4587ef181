#pragma once

#include "app/options_setting.h"
#include "lookup/musicbrainz_lookup.h"
#include "platform/cdrom/cd_records.h"

namespace corvath {

/// The MusicBrainz lookup of the disc with this TOC (read with MSF addresses): to the settings'
/// MusicBrainz server, through the proxy and with the time-outs of the CDDB settings.
MusicBrainzQuery MusicBrainzQueryOf(const CdToc& toc, const TOptionsSetting& settings);

} // namespace corvath
