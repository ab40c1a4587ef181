#pragma once

#include "codecs/opus/opus_out.h"
#include "codecs/output_format.h"

namespace corvath {

/// Opus through libopusenc, with its bit rate and complexity on a page of the options dialog.
OutputFormatInfo OpusFormat();

/// Sets an Opus output's bit rate and complexity from the settings, and its tags and cover from
/// the track, just before it runs. Main thread, output idle.
void SetupOpusOut(TOpusOut& out, const TOpusOptions& options, const TrackRecord& track);

} // namespace corvath
