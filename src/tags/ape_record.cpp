#include "tags/ape_record.h"

#include "tags/cover_choice.h"
#include "tags/record_fields.h"
#include "tags/taglib_text.h"

#include <vector>

namespace corvath {

namespace {

using TagLib::APE::Item;

constexpr auto kTextItems = JoinedNames(
    {
        {RecordText::Title, "Title"},
        {RecordText::Artist, "Artist"},
        {RecordText::AlbumArtist, "Album Artist"},
        {RecordText::Album, "Album"},
        {RecordText::Date, "Year"},
        {RecordText::Genre, "Genre"},
        {RecordText::Comment, "Comment"},
    },
    kVorbisStyleIdNames);
constexpr TextNames kTextNames{kTextItems, "Track", "Disc"};

constexpr const char* kFrontCoverKey = "Cover Art (Front)";
// TagLib keeps the items under their keys in upper case.
constexpr const char* kCoverArtPrefix = "COVER ART (";

void PutText(TagLib::APE::Tag& tag, std::string_view key, const std::string& text)
{
    const TagLib::String name = TagText(key);
    if (text.empty())
        tag.removeItem(name);
    else
        tag.setItem(name, Item(name, TagText(text)));
}

bool IsPicture(const TagLib::String& upperKey, const Item& item)
{
    return upperKey.startsWith(kCoverArtPrefix) && item.type() == Item::Binary;
}

// Every picture goes, as the reader would take any of them for the cover.
void PutCover(TagLib::APE::Tag& tag, const std::optional<CoverPicture>& cover)
{
    std::vector<TagLib::String> pictures;
    for (const auto& [key, item] : tag.itemListMap()) {
        if (IsPicture(key, item))
            pictures.push_back(key);
    }
    for (const TagLib::String& key : pictures)
        tag.removeItem(key);
    if (!cover)
        return;
    std::string value = kFrontCoverKey + CoverExtension(*cover);
    value += '\0';
    value += cover->data;
    tag.setItem(kFrontCoverKey, Item(kFrontCoverKey, TagBytes(value), true));
}

std::string TextItemOf(const TagLib::APE::ItemListMap& items, std::string_view key)
{
    const auto found = items.find(TagText(key).upper());
    return found == items.end() ? std::string() : Utf8Of(found->second.toString());
}

std::optional<CoverPicture> CoverOf(const TagLib::APE::ItemListMap& items)
{
    const TagLib::String frontKey = TagLib::String(kFrontCoverKey).upper();
    CoverChoice choice;
    for (const auto& [key, item] : items) {
        if (!IsPicture(key, item))
            continue;
        const std::string value = BytesOf(item.binaryData());
        const auto nameEnd = value.find('\0');
        if (nameEnd != std::string::npos)
            choice.Offer(key == frontKey, value.substr(nameEnd + 1));
    }
    return choice.Chosen();
}

} // namespace

void PutRecord(TagLib::APE::Tag& tag, const TrackRecord& record)
{
    for (const auto& [key, text] : TextsByName(record, kTextNames))
        PutText(tag, key, text);
    PutCover(tag, record.cover);
}

TrackRecord RecordOf(const TagLib::APE::Tag& tag)
{
    const TagLib::APE::ItemListMap& items = tag.itemListMap();
    TrackRecord record;
    ReadTextsByName(record, kTextNames,
                    [&items](std::string_view key) { return TextItemOf(items, key); });
    record.cover = CoverOf(items);
    return record;
}

} // namespace corvath
