#pragma once

#include <string>

namespace corvath {

/// FFmpeg's words for one of its negative error codes ("No space left on device").
std::string AvErrorText(int error);

} // namespace corvath
