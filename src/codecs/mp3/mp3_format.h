#pragma once

#include "codecs/mp3/mp3_out.h"
#include "codecs/output_format.h"

namespace corvath {

/// MP3 through LAME. Its page of the options dialog is laid out by the user interface.
OutputFormatInfo Mp3Format();

/// Sets an MP3 output's properties from the settings just before it runs. Main thread, output
/// idle.
void SetupMP3Out(TMP3Out& out, const TMp3Options& options);

} // namespace corvath
