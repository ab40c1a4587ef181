#pragma once

#include "codecs/output_format.h"

#include <cstdint>
#include <functional>
#include <string>

namespace corvath {

/// n in decimal with one "0" in front when n <= 9: 7 gives "07", 12 "12", -1 "0-1".
std::string TwoDigits(int n);

/// The path with the path delimiter "/" at its end; empty text stays empty.
std::string IncludeTrailingBackslash(const std::string& path);

/// The file of an output format named name in folder: "<folder>/<name>.<extension>".
std::string OutputFilePath(const std::string& folder, const std::string& name, OutputFormat format);

/// Makes the folder a file goes into, with its parents; why that failed ("Cannot create the
/// folder <folder>: <why>"), or "".
std::string MakeFolderOf(const std::string& file);

/// name when taken(name) is false, else the first of "name (2)", "name (3)" ... that is free.
std::string FirstFreeName(const std::string& name,
                          const std::function<bool(const std::string&)>& taken);

/// "MP3", "WAV", "OGG", "WMA", "FLAC" or "APE" for the output format number; empty for any
/// other number.
std::string OutputFormatName(int32_t outputFormat);

/// The output format of the program's settings record.
std::string OutputFormatName();

} // namespace corvath
