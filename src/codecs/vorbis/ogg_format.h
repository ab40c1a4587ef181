#pragma once

#include "codecs/output_format.h"
#include "codecs/vorbis/vorbis_out.h"

namespace corvath {

/// Ogg Vorbis through libvorbis. Its page of the options dialog is laid out by the user
/// interface.
OutputFormatInfo OggFormat();

/// Sets an Ogg Vorbis output's properties from the settings, and its comments and cover from
/// the track, just before it runs. Main thread, output idle.
void SetupVorbisOut(TVorbisOut& out, const TOggOptions& options, const TrackRecord& track);

} // namespace corvath
