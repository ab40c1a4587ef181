#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace corvath {

/// Why Tid3tag::Write failed; the high byte of its result.
enum class Id3WriteError : std::uint8_t {
    None = 0,
    CannotOpen = 1,  ///< missing, not a regular file, or refused when opened
    Protected = 2,   ///< not writable by this user, or its attributes cannot be read
    ReadFailed = 3,  ///< the end of the file could not be read
    WriteFailed = 4, ///< the tag could not be written completely
    OtherIo = 5,     ///< any other input/output failure
};

/// The 16-bit result code of Tid3tag::Write for error: the error in the high byte.
constexpr std::uint16_t Id3WriteResult(Id3WriteError error)
{
    return static_cast<std::uint16_t>(static_cast<unsigned>(error) << 8);
}

/// Writes an ID3v1 tag with the ID3v1.1 track byte at the end of an MP3 file, replacing the
/// tag the file already has, appending one otherwise.
///
/// Texts are UTF-8 here and ISO-8859-1 in the file: a character outside Latin-1, or a byte
/// that is not valid UTF-8, is written as "?". Unset texts are written as NUL bytes.
class Tid3tag {
public:
    static constexpr std::size_t kTextLength = 30;
    static constexpr std::size_t kYearLength = 4;
    static constexpr std::size_t kTagSize = 128;

    /// Text setters keep the first 30 characters (the year: 4), counted in characters, not
    /// bytes; a byte that is not valid UTF-8 counts as one character.
    void SetTitle(std::string_view text);
    void SetArtist(std::string_view text);
    void SetAlbum(std::string_view text);
    void SetYear(std::string_view text);
    void SetComment(std::string_view text);

    const std::string& Title() const { return title_; }
    const std::string& Artist() const { return artist_; }
    const std::string& Album() const { return album_; }
    const std::string& Year() const { return year_; }
    const std::string& Comment() const { return comment_; }

    /// A track above 0 is written in the comment's last byte, the comment cut to 28 bytes.
    void SetTrack(std::uint8_t track);
    std::uint8_t Track() const { return track_; }
    bool HasTrack() const { return hasTrack_; }

    /// The ID3v1 genre number; 255 means no genre.
    void SetGenre(std::uint8_t genre) { genre_ = genre; }
    std::uint8_t Genre() const { return genre_; }

    /// The file of the last successful Write; empty before one.
    const std::filesystem::path& LastFile() const { return lastFile_; }

    /// Writes the tag into file: 0 on success, otherwise Id3WriteResult of the failure. A file
    /// not writable by the current user is left untouched; an append that fails part-way is
    /// cut back to the file's old length.
    std::uint16_t Write(const std::filesystem::path& file);

private:
    std::array<char, kTagSize> BuildTag() const;

    std::string title_;
    std::string artist_;
    std::string album_;
    std::string year_;
    std::string comment_;
    std::uint8_t genre_ = 255;
    std::uint8_t track_ = 0;
    bool hasTrack_ = false;
    std::filesystem::path lastFile_;
};

} // namespace corvath
