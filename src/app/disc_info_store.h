#pragma once

#include "app/options_setting.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace corvath {

/// The disc fields as the main window shows them: the five of every disc, and where it stands
/// in a set of discs.
struct TDiscFields {
    std::string Artist;
    std::string Album;
    std::string Year;
    int32_t GenreIndex = -1; ///< item index of the genre list: -1 none, 0 the empty entry
    std::string Comment;
    int32_t DiscNumber = 0; ///< 0 unknown
    int32_t DiscTotal = 0;  ///< discs in the set; 0 unknown
};

/// The title a track's slot holds until the user names it: Track01 ..., and "Hidden track" for
/// the track hidden before the first (number 0).
std::string DefaultTitle(int track);

/// The name of the genre chosen in the list; empty for none or its empty first entry.
std::string GenreNameOf(const TDiscFields& fields);

/// The fields as the disc information holds them.
TDiscFields StoredDiscFields(const TCDInfo& info);

/// What loading a disc's information found besides the information.
struct DiscInfoLoad {
    bool stored = false; ///< the file holds the disc's section
    std::string note;    ///< what to tell of the file's mended lines (MendedLinesNote), if any
};

/// Fills the disc information from the disc's section of the disc information file. An empty
/// identifier (no audio disc) loads nothing. Titles above the stored count, and all of them
/// when the count is 0 or less, keep what they held; a disc never saved gets the count 100
/// and the titles Track01 ... Track100. The details of a release applied to the disc are read
/// for as many tracks as there are titles; a disc without one has none.
DiscInfoLoad LoadDiscInfo(TCDInfo& info, const std::filesystem::path& discInfoFile,
                          std::string_view id);

/// Writes the disc's section: the five fields shown, the title count of the disc information
/// and that many titles, then the details of the release applied to the disc, if it has or had
/// one. An empty identifier writes nothing. Other sections, and title keys
/// above the new count, stay in the file. Throws "Unable to write to <file>" when refused;
/// the old file then stays as it was.
void SaveDiscInfo(const TCDInfo& info, const TDiscFields& fields,
                  const std::filesystem::path& discInfoFile, std::string_view id);

} // namespace corvath
