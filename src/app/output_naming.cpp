#include "app/output_naming.h"

#include "app/options_setting.h"

#include <array>
#include <string_view>

namespace corvath {

std::string TwoDigits(int n)
{
    std::string text = std::to_string(n);
    if (n <= 9)
        text.insert(text.begin(), '0');
    return text;
}

std::string IncludeTrailingBackslash(const std::string& path)
{
    if (path.empty() || path.ends_with('/'))
        return path;
    return path + '/';
}

std::string OutputFormatName(int32_t outputFormat)
{
    static constexpr std::array<std::string_view, 6> kNames{"MP3", "WAV",  "OGG",
                                                            "WMA", "FLAC", "APE"};
    if (outputFormat < 0 || outputFormat >= static_cast<int32_t>(kNames.size()))
        return {};
    return std::string(kNames[static_cast<std::size_t>(outputFormat)]);
}

std::string OutputFormatName()
{
    return OutputFormatName(OptionsSetting.CommonOptions.OutputFormat);
}

} // namespace corvath
