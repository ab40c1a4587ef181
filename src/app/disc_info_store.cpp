#include "app/disc_info_store.h"

#include "app/output_naming.h"
#include "platform/profile/profile_file.h"
#include "tags/genre_names.h"

#include <algorithm>

namespace corvath {

namespace {

std::string DefaultTitle(int track)
{
    return "Track" + TwoDigits(track);
}

} // namespace

std::string GenreNameOf(const TDiscFields& fields)
{
    const int32_t index = fields.GenreIndex;
    const bool listed = index >= 1 && index <= static_cast<int32_t>(GenreNames.size());
    return listed ? std::string(GenreNames[static_cast<std::size_t>(index - 1)]) : std::string();
}

TDiscFields StoredDiscFields(const TCDInfo& info)
{
    return {info.CDArtist, info.CDAlbum, info.CDYear, info.CDGenre, info.CDComment};
}

void LoadDiscInfo(TCDInfo& info, const std::filesystem::path& discInfoFile, std::string_view id)
{
    if (id.empty())
        return;
    ProfileDocument file;
    try {
        file = LoadProfile(discInfoFile);
    } catch (const ProfileReadError&) {
        // Read as a disc never seen; saving will refuse to write over the file.
    }
    info.CDArtist = file.ReadString(id, "CDArtist", "");
    info.CDAlbum = file.ReadString(id, "CDAlbum", "");
    info.CDYear = file.ReadString(id, "CDYear", "");
    info.CDGenre = file.ReadInteger(id, "CDGenre", -1);
    info.CDComment = file.ReadString(id, "CDComment", "");
    info.CDTrackNumber = file.ReadInteger(id, "CDTrackNumber", TTitleSlots::kCount);

    const int count = std::min(info.CDTrackNumber, TTitleSlots::kCount);
    for (int track = 1; track <= count; ++track) {
        std::string title = file.ReadString(id, std::to_string(track), "");
        info.Titles[track] = title.empty() ? DefaultTitle(track) : std::move(title);
    }
}

void SaveDiscInfo(const TCDInfo& info, const TDiscFields& fields,
                  const std::filesystem::path& discInfoFile, std::string_view id)
{
    if (id.empty())
        return;
    ProfileDocument file = LoadProfile(discInfoFile);
    file.WriteString(id, "CDArtist", fields.Artist);
    file.WriteString(id, "CDAlbum", fields.Album);
    file.WriteString(id, "CDYear", fields.Year);
    file.WriteString(id, "CDGenre", std::to_string(fields.GenreIndex));
    file.WriteString(id, "CDComment", fields.Comment);
    file.WriteString(id, "CDTrackNumber", std::to_string(info.CDTrackNumber));
    const int count = std::min(info.CDTrackNumber, TTitleSlots::kCount);
    for (int track = 1; track <= count; ++track)
        file.WriteString(id, std::to_string(track), info.Titles[track]);
    SaveProfile(file, discInfoFile);
}

} // namespace corvath
