#pragma once

#include "codecs/ape/mac_out.h"
#include "codecs/output_format.h"

namespace corvath {

/// APE through our own Monkey's Audio compressor, with its level and processor use on a page
/// of the options dialog.
OutputFormatInfo ApeFormat();

/// Sets an APE output's properties from the settings just before it runs. Main thread, output
/// idle.
void SetupMACOut(TMACOut& out, const TAPEOptions& options);

} // namespace corvath
