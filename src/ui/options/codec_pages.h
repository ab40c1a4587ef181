#pragma once

#include "codecs/output_format.h"
#include "ui/options/options_page.h"

namespace corvath::ui {

/// The options page of a format: the one laid out by hand for the formats that have one (LAME,
/// OGG, WMA), else one built from the controls the format describes; nullptr for a format
/// without a page.
OptionsPage* MakeCodecPage(const OutputFormatInfo& format);

} // namespace corvath::ui
