#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace corvath {

/// The output formats, numbered as the OutputFormat setting and the main window's list number
/// them.
enum class OutputFormat : int32_t { MP3 = 0, WAV, OGG, WMA, FLAC, APE };

/// How one output format is shown, named and written.
struct OutputFormatInfo {
    OutputFormat format;
    std::string_view shownName; ///< as the main window lists it
    std::string_view extension; ///< of its files, without the dot; also its command-line name
    std::string_view name;      ///< in capitals
};

inline constexpr std::array<OutputFormatInfo, 6> kOutputFormats{{
    {OutputFormat::MP3, "MP3 file(*.MP3)", "mp3", "MP3"},
    {OutputFormat::WAV, "WAV file(*.WAV)", "wav", "WAV"},
    {OutputFormat::OGG, "OGG file(*.OGG)", "ogg", "OGG"},
    {OutputFormat::WMA, "WMA file(*.WMA)", "wma", "WMA"},
    {OutputFormat::FLAC, "FLAC file(*.FLAC)", "flac", "FLAC"},
    {OutputFormat::APE, "APE FILE(*.APE)", "ape", "APE"},
}};

/// The format of a setting number; nullptr for a number out of range.
const OutputFormatInfo* FormatByNumber(int32_t number);

/// The format a setting number asks for; MP3 for a number out of range.
OutputFormat FormatOfSetting(int32_t number);

/// The format whose extension is extension exactly ("flac"); nullptr for any other text.
const OutputFormatInfo* FormatByExtension(std::string_view extension);

/// The table's entry of a format.
const OutputFormatInfo& InfoOf(OutputFormat format);

} // namespace corvath
