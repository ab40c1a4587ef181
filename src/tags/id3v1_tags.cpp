#include "tags/id3v1_tags.h"

#include "tags/id3v1_genres.h"

#include <limits>

namespace corvath {

namespace {

constexpr std::string_view kGenre = "genre";

// Leading and trailing spaces and control characters removed.
std::string_view Trimmed(std::string_view text)
{
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

template <typename Unsigned> Unsigned InRangeOrZero(std::int64_t number)
{
    const bool fits = number >= 0 && number <= std::numeric_limits<Unsigned>::max();
    return fits ? static_cast<Unsigned>(number) : 0;
}

} // namespace

TId3v1Tags::TId3v1Tags()
{
    for (std::string_view name : {"title", "artist", "album", "year", "comment", "track", "genre"})
        DeclareName(name);
}

std::uint16_t TId3v1Tags::Year() const
{
    return InRangeOrZero<std::uint16_t>(AsInteger("year"));
}

std::uint8_t TId3v1Tags::Track() const
{
    return InRangeOrZero<std::uint8_t>(AsInteger("track"));
}

TId3v1TagsGenreId TId3v1Tags::GenreId() const
{
    // "Rock" carried over from another container names genre 17; read as a number it would
    // silently become 0, "Blues".
    const TagValue stored = GetValue(kGenre);
    if (stored.IsText()) {
        const int named = Id3v1GenreIdOf(Trimmed(stored.Text()));
        if (named >= 0)
            return static_cast<TId3v1TagsGenreId>(named);
    }
    const std::int64_t id = AsInteger(kGenre);
    return static_cast<TId3v1TagsGenreId>(id >= 0 && id < kId3v1GenreCount ? id : kId3v1OtherGenre);
}

std::string TId3v1Tags::Genre() const
{
    return std::string(Id3v1GenreName(GenreId()));
}

void TId3v1Tags::SetGenre(std::string_view name)
{
    const int id = Id3v1GenreIdOf(Trimmed(name));
    if (id >= 0)
        SetGenreId(static_cast<TId3v1TagsGenreId>(id));
}

} // namespace corvath
