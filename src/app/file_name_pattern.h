#pragma once

#include "tags/track_record.h"

#include <string>
#include <string_view>

namespace corvath {

/// The pattern that names a file by its title alone, as it is but for '"': the default.
inline constexpr std::string_view kTitleOnlyPattern = "%title%";

/// Why a file-name pattern cannot name files: "" when it can. A pattern holds text and the
/// tokens %artist%, %albumartist%, %album%, %year%, %genre%, %track%, %tracktotal%, %disc%,
/// %disctotal% and %title%; "/" makes folders below the output folder. It may not be empty,
/// start with "/", hold a folder "." or "..", or name another token.
std::string FileNamePatternProblem(std::string_view pattern);

/// The pattern, or the title-only one when FileNamePatternProblem refuses it (a settings file
/// edited by hand).
std::string PatternOrTitle(const std::string& pattern);

/// The path below the output folder, without extension, that pattern gives a track's file:
/// "Artist/Album/01 - One". The title-only pattern gives the title as it is, but with "'" for '"',
/// which no cue sheet can name a file with. Any other pattern puts "_" for what a file system or a
/// common player cannot take in a token's value ("/", "\",
/// ":", "*", "?", '"', "<", ">", "|", control characters), then for a leading dot of each folder
/// and name; leading blanks and trailing blanks and dots go, and each part is cut at 255 bytes,
/// less room for an extension of extensionBytes at the last. A token without a value gives nothing;
/// a part left empty becomes "_". %track% has two digits; %year% is the date's year; %albumartist%
/// is the artist when the track names no album artist. The pattern must be one
/// FileNamePatternProblem accepts.
std::string PatternedName(std::string_view pattern, const TrackRecord& track,
                          std::size_t extensionBytes);

} // namespace corvath
