// Every property must read back what it stored, also after all the others were set: a
// misspelt name drops the value, two properties sharing a name overwrite each other.
#include "tags/apev2_tags.h"
#include "tags/id3v1_tags.h"
#include "tags/id3v2_tags.h"
#include "tags/vorbis_tags.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <utility>

namespace corvath {
namespace {

template <typename Tags>
using TextProperty = std::pair<void (Tags::*)(std::string_view), std::string (Tags::*)() const>;

template <typename Tags>
void ExpectEachPropertyKeepsItsOwnValue(std::initializer_list<TextProperty<Tags>> properties)
{
    Tags tags;
    int n = 0;
    for (const auto& [set, get] : properties)
        (tags.*set)("value " + std::to_string(n++));
    n = 0;
    for (const auto& [set, get] : properties) {
        EXPECT_EQ((tags.*get)(), "value " + std::to_string(n)) << "property " << n;
        ++n;
    }
}

TEST(TagProperties, Id3v1)
{
    using T = TId3v1Tags;
    ExpectEachPropertyKeepsItsOwnValue<T>({{&T::SetTitle, &T::Title},
                                           {&T::SetArtist, &T::Artist},
                                           {&T::SetAlbum, &T::Album},
                                           {&T::SetComment, &T::Comment}});
    T tags;
    tags.SetYear(1999);
    tags.SetTrack(12);
    tags.SetGenreId(17);
    EXPECT_EQ(tags.Year(), 1999);
    EXPECT_EQ(tags.Track(), 12);
    EXPECT_EQ(tags.GenreId(), 17);
}

TEST(TagProperties, Id3v2UsesVersion3Ids)
{
    using T = TId3v2Tags;
    ExpectEachPropertyKeepsItsOwnValue<T>({{&T::SetTitle, &T::Title},
                                           {&T::SetArtist, &T::Artist},
                                           {&T::SetAlbum, &T::Album},
                                           {&T::SetTrack, &T::Track},
                                           {&T::SetYear, &T::Year},
                                           {&T::SetGenre, &T::Genre},
                                           {&T::SetComment, &T::Comment},
                                           {&T::SetComposer, &T::Composer},
                                           {&T::SetEncoder, &T::Encoder},
                                           {&T::SetCopyright, &T::Copyright},
                                           {&T::SetLanguage, &T::Language},
                                           {&T::SetLink, &T::Link}});
    T tags;
    tags.SetTitle("Song");
    EXPECT_EQ(tags.AsString("TIT2"), "Song");
    EXPECT_EQ(tags.AsString("TT2"), "");
}

TEST(TagProperties, Apev2)
{
    using T = TAPEv2Tags;
    ExpectEachPropertyKeepsItsOwnValue<T>({{&T::SetArtist, &T::Artist},
                                           {&T::SetComposer, &T::Composer},
                                           {&T::SetAlbum, &T::Album},
                                           {&T::SetDebutAlbum, &T::DebutAlbum},
                                           {&T::SetPublisher, &T::Publisher},
                                           {&T::SetConductor, &T::Conductor},
                                           {&T::SetCopyright, &T::Copyright},
                                           {&T::SetISBN, &T::ISBN},
                                           {&T::SetISRC, &T::ISRC},
                                           {&T::SetBarCode, &T::BarCode},
                                           {&T::SetLabelCode, &T::LabelCode},
                                           {&T::SetCatalog, &T::Catalog},
                                           {&T::SetLanguage, &T::Language},
                                           {&T::SetGenre, &T::Genre},
                                           {&T::SetYear, &T::Year},
                                           {&T::SetRecordDate, &T::RecordDate},
                                           {&T::SetRecordLocation, &T::RecordLocation},
                                           {&T::SetFile_, &T::File_},
                                           {&T::SetRelated, &T::Related},
                                           {&T::SetAbstract, &T::Abstract},
                                           {&T::SetBibliography, &T::Bibliography},
                                           {&T::SetTrack, &T::Track},
                                           {&T::SetTitle, &T::Title},
                                           {&T::SetSubTitle, &T::SubTitle},
                                           {&T::SetComment, &T::Comment}});
}

TEST(TagProperties, Vorbis)
{
    using T = TVorbisTags;
    ExpectEachPropertyKeepsItsOwnValue<T>({{&T::SetAlbum, &T::Album},
                                           {&T::SetArtist, &T::Artist},
                                           {&T::SetDate, &T::Date},
                                           {&T::SetGenre, &T::Genre},
                                           {&T::SetTitle, &T::Title},
                                           {&T::SetTrack, &T::Track}});
    T tags;
    tags.SetTrack("3");
    EXPECT_EQ(tags.AsString("tracknumber"), "3");
}

} // namespace
} // namespace corvath
