#include "cli/disc_field_options.h"

#include "tags/genre_names.h"

namespace corvath::cli {

namespace {

std::string* TextField(std::string_view name, TDiscFields& disc)
{
    if (name == "--artist")
        return &disc.Artist;
    if (name == "--album")
        return &disc.Album;
    if (name == "--year")
        return &disc.Year;
    if (name == "--comment")
        return &disc.Comment;
    return nullptr;
}

} // namespace

bool IsDiscFieldOption(std::string_view name)
{
    return name == "--artist" || name == "--album" || name == "--year" || name == "--comment" ||
           name == "--genre";
}

bool ApplyDiscFieldOption(std::string_view name, const std::string& value, TDiscFields& disc,
                          std::ostream& err, std::string_view command)
{
    if (std::string* field = TextField(name, disc)) {
        *field = value;
        return true;
    }
    const int index = GenreIndexOf(value);
    if (index < 0) {
        err << "corvath-cli " << command << ": unknown genre " << value << '\n';
        return false;
    }
    disc.GenreIndex = index + 1; // the genre list starts with an empty entry
    return true;
}

} // namespace corvath::cli
