#include "app/formats_written.h"

#include <algorithm>

namespace corvath {

std::vector<OutputFormat> AlsoWrittenFormats(std::string_view extensions, OutputFormat main)
{
    std::vector<OutputFormat> named;
    while (!extensions.empty()) {
        const std::size_t comma = std::min(extensions.find(','), extensions.size());
        if (const OutputFormatInfo* format = FormatByExtension(extensions.substr(0, comma)))
            named.push_back(format->format);
        extensions.remove_prefix(std::min(comma + 1, extensions.size()));
    }
    std::vector<OutputFormat> formats;
    for (const OutputFormatInfo& format : OutputFormats()) {
        if (format.format != main && format.format != OutputFormat::WAV &&
            std::ranges::find(named, format.format) != named.end())
            formats.push_back(format.format);
    }
    return formats;
}

std::string ExtensionList(std::span<const OutputFormat> formats)
{
    std::string list;
    for (const OutputFormat format : formats)
        list += (list.empty() ? "" : ",") + std::string(InfoOf(format).extension);
    return list;
}

} // namespace corvath
