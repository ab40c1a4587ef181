#include "tags/asf_record.h"

#include "platform/text/ascii_case.h"
#include "tags/cover_choice.h"
#include "tags/record_fields.h"
#include "tags/taglib_text.h"

#include <asfpicture.h>
#include <charconv>
#include <limits>
#include <vector>

namespace corvath {

namespace {

using TagLib::ASF::Attribute;

// The content description's fields. ffmpeg writes each as an attribute of about the same name
// too (the comment there only), and its reader shows those in their place: the writer removes
// them, the reader takes them where the content description has nothing.
struct DescriptionField {
    RecordText field;
    const char* attribute;
    void (TagLib::ASF::Tag::*set)(const TagLib::String&);
    TagLib::String (TagLib::ASF::Tag::*get)() const;
};

const DescriptionField kDescriptionFields[] = {
    {RecordText::Title, "Title", &TagLib::ASF::Tag::setTitle, &TagLib::ASF::Tag::title},
    {RecordText::Artist, "Author", &TagLib::ASF::Tag::setArtist, &TagLib::ASF::Tag::artist},
    {RecordText::Comment, "Description", &TagLib::ASF::Tag::setComment, &TagLib::ASF::Tag::comment},
};

constexpr NamedText kTextAttributes[] = {
    {RecordText::Album, "WM/AlbumTitle"},
    {RecordText::AlbumArtist, "WM/AlbumArtist"},
    {RecordText::Date, "WM/Year"},
    {RecordText::Genre, "WM/Genre"},
    {RecordText::Isrc, "WM/ISRC"},
    {RecordText::RecordingId, "MusicBrainz/Track Id"},
    {RecordText::ReleaseTrackId, "MusicBrainz/Release Track Id"},
    {RecordText::AlbumId, "MusicBrainz/Album Id"},
    {RecordText::ReleaseGroupId, "MusicBrainz/Release Group Id"},
    {RecordText::ArtistId, "MusicBrainz/Artist Id"},
    {RecordText::AlbumArtistId, "MusicBrainz/Album Artist Id"},
    {RecordText::DiscId, "MusicBrainz/Disc Id"},
};
// The track has no total here: it is written and read on its own.
constexpr TextNames kTextNames{kTextAttributes, {}, "WM/PartOfSet"};

constexpr const char* kTrackNumber = "WM/TrackNumber";
constexpr const char* kPicture = "WM/Picture";

// The attribute names as stored that are the name, case ignored.
std::vector<TagLib::String> StoredNames(const TagLib::ASF::Tag& tag, std::string_view name)
{
    std::vector<TagLib::String> names;
    for (const auto& [stored, values] : tag.attributeListMap()) {
        if (EqualIgnoringCase(Utf8Of(stored), name))
            names.push_back(stored);
    }
    return names;
}

void RemoveAttributes(TagLib::ASF::Tag& tag, std::string_view name)
{
    for (const TagLib::String& stored : StoredNames(tag, name))
        tag.removeItem(stored);
}

void PutAttribute(TagLib::ASF::Tag& tag, std::string_view name, const std::string& text)
{
    RemoveAttributes(tag, name);
    if (!text.empty())
        tag.setAttribute(TagText(name), Attribute(TagText(text)));
}

void PutCover(TagLib::ASF::Tag& tag, const std::optional<CoverPicture>& cover)
{
    RemoveAttributes(tag, kPicture);
    if (!cover)
        return;
    TagLib::ASF::Picture picture;
    picture.setType(TagLib::ASF::Picture::FrontCover);
    picture.setMimeType(TagText(cover->mimeType));
    picture.setPicture(TagBytes(cover->data));
    tag.setAttribute(kPicture, Attribute(picture));
}

TagLib::ASF::AttributeList Attributes(const TagLib::ASF::Tag& tag, std::string_view name)
{
    const std::vector<TagLib::String> names = StoredNames(tag, name);
    return names.empty() ? TagLib::ASF::AttributeList() : tag.attribute(names.front());
}

// The first value of the attribute as text: a string as it is, a number in decimal.
std::string AttributeText(const TagLib::ASF::Tag& tag, std::string_view name)
{
    const TagLib::ASF::AttributeList values = Attributes(tag, name);
    if (values.isEmpty())
        return {};
    const Attribute& value = values.front();
    switch (value.type()) {
    case Attribute::UnicodeType:
        return Utf8Of(value.toString());
    case Attribute::DWordType:
        return std::to_string(value.toUInt());
    case Attribute::QWordType:
        return std::to_string(value.toULongLong());
    case Attribute::WordType:
        return std::to_string(value.toUShort());
    default:
        return {};
    }
}

void ReadTrack(const TagLib::ASF::Tag& tag, TrackRecord& record)
{
    if (!Attributes(tag, kTrackNumber).isEmpty()) {
        ReadNumberPair(AttributeText(tag, kTrackNumber), record.trackNumber, record.trackTotal);
        return;
    }
    // Old files count from 0 there.
    const std::string old = AttributeText(tag, "WM/Track");
    int zeroBased = -1;
    const auto [end, error] = std::from_chars(old.data(), old.data() + old.size(), zeroBased);
    if (error == std::errc() && end == old.data() + old.size() && zeroBased >= 0 &&
        zeroBased < std::numeric_limits<int>::max())
        record.trackNumber = zeroBased + 1;
}

std::optional<CoverPicture> CoverOf(const TagLib::ASF::Tag& tag)
{
    CoverChoice choice;
    for (const Attribute& value : Attributes(tag, kPicture)) {
        const TagLib::ASF::Picture picture = value.toPicture();
        if (picture.isValid())
            choice.Offer(picture.type() == TagLib::ASF::Picture::FrontCover,
                         BytesOf(picture.picture()));
    }
    return choice.Chosen();
}

} // namespace

void PutRecord(TagLib::ASF::Tag& tag, const TrackRecord& record)
{
    for (const auto& [field, attribute, set, get] : kDescriptionFields) {
        (tag.*set)(TagText(TextOf(record, field)));
        RemoveAttributes(tag, attribute);
    }
    for (const auto& [name, text] : TextsByName(record, kTextNames))
        PutAttribute(tag, name, text);
    PutAttribute(tag, kTrackNumber, NumberPairText(record.trackNumber, 0));
    PutCover(tag, record.cover);
}

TrackRecord RecordOf(const TagLib::ASF::Tag& tag)
{
    TrackRecord record;
    for (const auto& [field, attribute, set, get] : kDescriptionFields) {
        const std::string described = Utf8Of((tag.*get)());
        TextOf(record, field) = described.empty() ? AttributeText(tag, attribute) : described;
    }
    ReadTextsByName(record, kTextNames,
                    [&tag](std::string_view name) { return AttributeText(tag, name); });
    ReadTrack(tag, record);
    record.cover = CoverOf(tag);
    return record;
}

} // namespace corvath
