#pragma once

#include "codecs/wma/wm_in.h"

namespace corvath {

/// Reads MP3 files through the same reader as Windows Media files.
class TMP3In : public TWMIn {
public:
    using TWMIn::TWMIn;
};

} // namespace corvath
