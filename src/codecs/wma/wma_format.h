#pragma once

#include "codecs/output_format.h"
#include "codecs/wma/wma_out.h"

namespace corvath {

/// WMA through FFmpeg. Its page of the options dialog is laid out by the user interface.
OutputFormatInfo WmaFormat();

/// Sets a WMA output's codec, format and VBR from the settings just before it runs; the track's
/// tags go into the finished file as attributes instead. Main thread, output idle. Throws,
/// naming the setting, when a codec or format position is not in the output's lists.
void SetupWMAOut(TWMAOut& out, const TWMAOptions& options);

} // namespace corvath
