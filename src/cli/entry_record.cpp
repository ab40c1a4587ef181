#include "cli/entry_record.h"

#include "cli/terminal_text.h"
#include "tags/genre_names.h"

namespace corvath::cli {

void EntryRecord::ClearDiscFields()
{
    cleared_ = true;
    fields_.clear();
    release_.reset();
    disc_.reset();
}

void EntryRecord::SelectGenre(const std::string& name)
{
    const int index = GenreIndexMatching(name);
    fields_["Genre"] = index < 0 ? name : std::string(GenreNames[static_cast<std::size_t>(index)]);
}

void EntryRecord::Print(uint8_t firstTrack, std::ostream& out) const
{
    for (const char* field : {"Artist", "Album", "Year"}) {
        const auto value = fields_.find(field);
        if (value != fields_.end())
            out << field << '=' << TerminalText(value->second) << '\n';
    }
    const auto genre = fields_.find("Genre");
    if (genre != fields_.end()) {
        out << "Genre=" << TerminalText(genre->second)
            << (GenreIndexOf(genre->second) < 0 ? " (no such genre: none selected)" : "") << '\n';
    }
    if (disc_ && disc_->first > 0 && disc_->second != 1) {
        out << "Disc=" << disc_->first;
        if (disc_->second > 0)
            out << '/' << disc_->second;
        out << '\n';
    }
    if (titles_.empty())
        out << "No track titles\n";
    for (const auto& [row, title] : titles_)
        out << "Track " << (firstTrack + row) << '=' << TerminalText(title) << '\n';
}

void EntryRecord::ApplyTo(TDiscFields& fields, std::vector<std::string>& titles,
                          ReleaseDetails& release) const
{
    if (cleared_) {
        fields = TDiscFields{};
        release = {};
    }
    if (release_)
        release = *release_;
    if (disc_) {
        fields.DiscNumber = disc_->first;
        fields.DiscTotal = disc_->second;
    }
    const auto take = [&](const char* name, std::string& into) {
        if (const auto value = fields_.find(name); value != fields_.end())
            into = value->second;
    };
    take("Artist", fields.Artist);
    take("Album", fields.Album);
    take("Year", fields.Year);
    // The genre list's first item is the empty one.
    if (const auto genre = fields_.find("Genre"); genre != fields_.end()) {
        const int index = GenreIndexOf(genre->second);
        fields.GenreIndex = index < 0 ? -1 : index + 1;
    }
    for (const auto& [row, title] : titles_) {
        if (row >= 0 && static_cast<std::size_t>(row) < titles.size())
            titles[static_cast<std::size_t>(row)] = title;
    }
}

} // namespace corvath::cli
