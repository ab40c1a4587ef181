#include "platform/dynlib/codec_library.h"

namespace corvath {

namespace {

std::atomic<bool> loadOnFirstUse{false};

} // namespace

void SetCodecLibrariesLoadOnFirstUse(bool on)
{
    loadOnFirstUse = on;
}

bool CodecLibrariesLoadOnFirstUse()
{
    return loadOnFirstUse;
}

} // namespace corvath
