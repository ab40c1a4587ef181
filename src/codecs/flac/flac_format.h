#pragma once

#include "codecs/flac/flac_out.h"
#include "codecs/output_format.h"

namespace corvath {

/// FLAC through libFLAC, with its compression level on a page of the options dialog.
OutputFormatInfo FlacFormat();

/// Sets a FLAC output's level from the settings, and its tags and cover from the track, just
/// before it runs. Main thread, output idle.
void SetupFLACOut(TFLACOut& out, const TFLACOptions& options, const TrackRecord& track);

} // namespace corvath
