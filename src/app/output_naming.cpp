#include "app/output_naming.h"

#include "app/options_setting.h"
#include "codecs/output_format.h"

#include <filesystem>

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

std::string OutputFilePath(const std::string& folder, const std::string& name, OutputFormat format)
{
    return IncludeTrailingBackslash(folder) + name + "." + std::string(InfoOf(format).extension);
}

std::string OutputFormatName(int32_t outputFormat)
{
    const OutputFormatInfo* format = FormatByNumber(outputFormat);
    return format != nullptr ? std::string(format->name) : std::string();
}

std::string OutputFormatName()
{
    return OutputFormatName(OptionsSetting.CommonOptions.OutputFormat);
}

std::string FirstFreeName(const std::string& name,
                          const std::function<bool(const std::string&)>& taken)
{
    std::string free = name;
    for (int copy = 2; taken(free); ++copy)
        free = name + " (" + std::to_string(copy) + ")";
    return free;
}

std::string MakeFolderOf(const std::string& file)
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::path(file).parent_path();
    std::filesystem::create_directories(folder, error);
    return error ? "Cannot create the folder " + folder.string() + ": " + error.message()
                 : std::string();
}

} // namespace corvath
