#include "tags/record_fields.h"

#include <charconv>
#include <string_view>
#include <utility>

namespace corvath {

namespace {

constexpr RecordText kAllTexts[] = {
    RecordText::Title,          RecordText::Artist,        RecordText::AlbumArtist,
    RecordText::Album,          RecordText::Date,          RecordText::Genre,
    RecordText::Comment,        RecordText::Isrc,          RecordText::RecordingId,
    RecordText::ReleaseTrackId, RecordText::AlbumId,       RecordText::ReleaseGroupId,
    RecordText::ArtistId,       RecordText::AlbumArtistId, RecordText::DiscId,
};

void FillPair(int& number, int& total, int fallbackNumber, int fallbackTotal)
{
    if (number > 0)
        return;
    number = fallbackNumber;
    total = fallbackTotal;
}

std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

int PositiveNumber(std::string_view text)
{
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() && number > 0 ? number : 0;
}

} // namespace

std::string& TextOf(TrackRecord& record, RecordText field)
{
    return const_cast<std::string&>(TextOf(std::as_const(record), field));
}

const std::string& TextOf(const TrackRecord& record, RecordText field)
{
    const MusicBrainzIds& ids = record.musicBrainz;
    switch (field) {
    case RecordText::Title:
        return record.title;
    case RecordText::Artist:
        return record.artist;
    case RecordText::AlbumArtist:
        return record.albumArtist;
    case RecordText::Album:
        return record.album;
    case RecordText::Date:
        return record.date;
    case RecordText::Genre:
        return record.genre;
    case RecordText::Comment:
        return record.comment;
    case RecordText::Isrc:
        return record.isrc;
    case RecordText::RecordingId:
        return ids.recordingId;
    case RecordText::ReleaseTrackId:
        return ids.releaseTrackId;
    case RecordText::AlbumId:
        return ids.albumId;
    case RecordText::ReleaseGroupId:
        return ids.releaseGroupId;
    case RecordText::ArtistId:
        return ids.artistId;
    case RecordText::AlbumArtistId:
        return ids.albumArtistId;
    case RecordText::DiscId:
        break;
    }
    return ids.discId;
}

std::vector<std::pair<std::string_view, std::string>> TextsByName(const TrackRecord& record,
                                                                  const TextNames& names)
{
    std::vector<std::pair<std::string_view, std::string>> texts;
    for (const auto& [field, name] : names.texts)
        texts.emplace_back(name, TextOf(record, field));
    if (!names.track.empty())
        texts.emplace_back(names.track, NumberPairText(record.trackNumber, record.trackTotal));
    if (!names.disc.empty())
        texts.emplace_back(names.disc, NumberPairText(record.discNumber, record.discTotal));
    return texts;
}

void ReadTextsByName(TrackRecord& record, const TextNames& names,
                     const std::function<std::string(std::string_view name)>& textOf)
{
    for (const auto& [field, name] : names.texts) {
        std::string& text = TextOf(record, field);
        if (text.empty())
            text = textOf(name);
    }
    if (!names.track.empty() && record.trackNumber == 0)
        ReadNumberPair(textOf(names.track), record.trackNumber, record.trackTotal);
    if (!names.disc.empty() && record.discNumber == 0)
        ReadNumberPair(textOf(names.disc), record.discNumber, record.discTotal);
}

void FillGaps(TrackRecord& record, const TrackRecord& fallback)
{
    for (const RecordText field : kAllTexts) {
        std::string& text = TextOf(record, field);
        if (text.empty())
            text = TextOf(fallback, field);
    }
    FillPair(record.trackNumber, record.trackTotal, fallback.trackNumber, fallback.trackTotal);
    FillPair(record.discNumber, record.discTotal, fallback.discNumber, fallback.discTotal);
    if (!record.cover)
        record.cover = fallback.cover;
}

std::string NumberPairText(int number, int total)
{
    if (number <= 0)
        return {};
    return total > 0 ? std::to_string(number) + "/" + std::to_string(total)
                     : std::to_string(number);
}

void ReadNumberPair(const std::string& text, int& number, int& total)
{
    const std::string_view view(text);
    const auto slash = view.find('/');
    number = PositiveNumber(Trimmed(view.substr(0, slash)));
    total = slash == std::string_view::npos ? 0 : PositiveNumber(Trimmed(view.substr(slash + 1)));
}

} // namespace corvath
