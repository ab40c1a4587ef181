#include "app/output_format.h"

#include <algorithm>

namespace corvath {

// The table is in setting order, so a number is its position.
static_assert(std::ranges::all_of(kOutputFormats, [](const OutputFormatInfo& info) {
    return &info - kOutputFormats.data() == static_cast<int32_t>(info.format);
}));

const OutputFormatInfo* FormatByNumber(int32_t number)
{
    if (number < 0 || number >= static_cast<int32_t>(kOutputFormats.size()))
        return nullptr;
    return &kOutputFormats[static_cast<std::size_t>(number)];
}

OutputFormat FormatOfSetting(int32_t number)
{
    const OutputFormatInfo* format = FormatByNumber(number);
    return format != nullptr ? format->format : OutputFormat::MP3;
}

const OutputFormatInfo* FormatByExtension(std::string_view extension)
{
    const auto found = std::ranges::find(kOutputFormats, extension, &OutputFormatInfo::extension);
    return found == kOutputFormats.end() ? nullptr : &*found;
}

const OutputFormatInfo& InfoOf(OutputFormat format)
{
    return *FormatByNumber(static_cast<int32_t>(format));
}

} // namespace corvath
