#include "platform/media/wm_attributes.h"

#include "platform/acm/ffmpeg_library.h"

extern "C" {
#include <libavutil/dict.h>
}

#include <array>

namespace corvath {

namespace {

constexpr std::string_view kAuthorKeys[] = {"artist", "author"};
constexpr std::string_view kTitleKeys[] = {"title"};
constexpr std::string_view kAlbumKeys[] = {"album"};
constexpr std::string_view kGenreKeys[] = {"genre"};
constexpr std::string_view kYearKeys[] = {"WM/Year", "date", "year"};
constexpr std::string_view kTrackKeys[] = {"WM/Track", "track", "WM/TrackNumber"};
constexpr std::string_view kCopyrightKeys[] = {"copyright"};

constexpr std::array kAttributes{
    WmAttribute{"Author", kAuthorKeys},       WmAttribute{"Title", kTitleKeys},
    WmAttribute{"WM/AlbumTitle", kAlbumKeys}, WmAttribute{"WM/Genre", kGenreKeys},
    WmAttribute{"WM/Year", kYearKeys},        WmAttribute{"WM/Track", kTrackKeys},
    WmAttribute{"Copyright", kCopyrightKeys},
};

} // namespace

std::span<const WmAttribute> WmAttributes()
{
    return kAttributes;
}

std::string ReadWmAttribute(const AVDictionary* metadata, std::string_view name)
{
    for (const WmAttribute& attribute : kAttributes) {
        if (attribute.name != name)
            continue;
        for (std::string_view key : attribute.metadataKeys) {
            const std::string keyText(key);
            if (const AVDictionaryEntry* entry =
                    Ffmpeg().av_dict_get(metadata, keyText.c_str(), nullptr, 0))
                return entry->value;
        }
    }
    return {};
}

} // namespace corvath
