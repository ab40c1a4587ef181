#pragma once

#include "tags/au_tags.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace corvath {

/// An ID3v1 genre number, 0..147 for a known genre.
using TId3v1TagsGenreId = std::uint8_t;

/// The fields of an ID3v1 tag: "title", "artist", "album", "comment" (8-bit text), "year",
/// "track" and "genre" (integers).
class TId3v1Tags : public TAuTags {
public:
    TId3v1Tags();

    std::string Title() const { return AsString("title"); }
    void SetTitle(std::string_view text) { SetText("title", text); }
    std::string Artist() const { return AsString("artist"); }
    void SetArtist(std::string_view text) { SetText("artist", text); }
    std::string Album() const { return AsString("album"); }
    void SetAlbum(std::string_view text) { SetText("album", text); }
    std::string Comment() const { return AsString("comment"); }
    void SetComment(std::string_view text) { SetText("comment", text); }

    /// The year; 0 when the stored value is no number in 0..65535.
    std::uint16_t Year() const;
    void SetYear(std::uint16_t year) { SetInteger("year", year); }

    /// The track number; 0 when the stored value is no number in 0..255.
    std::uint8_t Track() const;
    void SetTrack(std::uint8_t track) { SetInteger("track", track); }

    /// The stored genre number when it is a genre (0..147), otherwise 12 ("Other"). A genre
    /// never set reads as 0 ("Blues"). Text stored by Assign from another container is read as
    /// a genre name first, then as a number.
    TId3v1TagsGenreId GenreId() const;
    void SetGenreId(TId3v1TagsGenreId id) { SetInteger("genre", id); }

    /// The name of GenreId in the ID3v1 genre list.
    std::string Genre() const;
    /// Stores the number of the first genre whose name matches the trimmed text without regard
    /// to case; text that names no genre leaves the value unchanged.
    void SetGenre(std::string_view name);
};

} // namespace corvath
