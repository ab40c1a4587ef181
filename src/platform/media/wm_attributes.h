#pragma once

#include <span>
#include <string>
#include <string_view>

struct AVDictionary;

namespace corvath {

/// A Windows Media header attribute of the program ("Author", "WM/AlbumTitle", ...) and the
/// FFmpeg metadata keys that carry it: the first is the one written, any of them is read (MP3
/// files name the same things differently from ASF files).
struct WmAttribute {
    std::string_view name;
    std::span<const std::string_view> metadataKeys;
};

/// The attributes the program writes and reads.
std::span<const WmAttribute> WmAttributes();

/// The attribute's value in the metadata ("" when absent or unknown).
std::string ReadWmAttribute(const AVDictionary* metadata, std::string_view name);

} // namespace corvath
