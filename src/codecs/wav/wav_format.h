#pragma once

#include "codecs/output_format.h"

namespace corvath {

/// WAV files, PCM or IMA ADPCM, through our own writer; nothing to set.
OutputFormatInfo WavFormat();

} // namespace corvath
