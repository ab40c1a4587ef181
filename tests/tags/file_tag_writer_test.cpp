// What each format's own reader in TagLib sees of the tags we write: the exact frame ids,
// descriptions, item keys and attribute names other players look for.
#include "cd/id3_tag.h"
#include "support/tagged_files.h"
#include "tags/file_tag_reader.h"
#include "tags/file_tag_writer.h"

#include <apefile.h>
#include <apetag.h>
#include <asffile.h>
#include <asftag.h>
#include <attachedpictureframe.h>
#include <commentsframe.h>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <id3v2tag.h>
#include <mpegfile.h>
#include <textidentificationframe.h>
#include <uniquefileidentifierframe.h>
#include <unistd.h>

namespace corvath {
namespace {

using std::filesystem::path;
using StringMap = std::map<std::string, std::string>;
using TagLib::ID3v2::Frame;

std::string Utf8(const TagLib::String& text)
{
    return text.to8Bit(true);
}

std::string Bytes(const TagLib::ByteVector& bytes)
{
    return {bytes.data(), bytes.size()};
}

// The size of the ID3v2 tag at the start of the bytes, header included.
std::size_t Id3v2Size(const std::string& bytes)
{
    std::size_t size = 0;
    for (int i = 6; i < 10; ++i)
        size = size << 7 | static_cast<uint8_t>(bytes[i]);
    return 10 + size;
}

class FileTagWriter : public test::TaggedFileFixture {
protected:
    void SetUp() override
    {
        TaggedFileFixture::SetUp();
        for (const char* tool : {"ffmpeg", "ffprobe", "lame", "sox"}) {
            if (!test::HaveTool(tool))
                GTEST_SKIP() << tool << " is needed to make the files";
        }
        record_ = test::FullRecord(JpegCover());
    }

    // Expects the write to fail with the reason, leaving the file as it was.
    void ExpectRefused(const path& file, FileTagFormat format, const std::string& why)
    {
        SCOPED_TRACE(file.filename().string());
        const bool regular = std::filesystem::is_regular_file(file);
        const std::string before = regular ? test::ReadFile(file) : "";
        try {
            WriteFileTags(file.string(), format, record_);
            ADD_FAILURE() << "written";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), "Cannot write the tags of " + file.string() + ": " + why);
        }
        if (regular) {
            EXPECT_EQ(test::ReadFile(file), before);
        }
    }

    TrackRecord record_;
};

TEST_F(FileTagWriter, Mp3GetsUtf8Id3v24FramesWithPicardsNames)
{
    const path mp3 = LameMp3("full.mp3");
    WriteFileTags(mp3.string(), FileTagFormat::Id3v2, record_);

    TagLib::MPEG::File file(mp3.c_str());
    ASSERT_TRUE(file.hasID3v2Tag());
    const TagLib::ID3v2::Tag& tag = *file.ID3v2Tag();
    EXPECT_EQ(tag.header()->majorVersion(), 4u);
    EXPECT_FALSE(file.hasID3v1Tag());

    StringMap texts;
    StringMap userTexts;
    int frames = 0;
    for (const Frame* frame : tag.frameList()) {
        ++frames;
        const std::string id = Bytes(frame->frameID());
        if (const auto* user =
                dynamic_cast<const TagLib::ID3v2::UserTextIdentificationFrame*>(frame)) {
            EXPECT_EQ(user->textEncoding(), TagLib::String::UTF8);
            userTexts[Utf8(user->description())] = Utf8(user->fieldList().back());
        } else if (const auto* text =
                       dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frame)) {
            EXPECT_EQ(text->textEncoding(), TagLib::String::UTF8) << id;
            EXPECT_TRUE(texts.emplace(id, Utf8(text->toString())).second) << id << " twice";
        }
    }
    EXPECT_EQ(texts, (StringMap{{"TIT2", record_.title},
                                {"TPE1", record_.artist},
                                {"TPE2", record_.albumArtist},
                                {"TALB", record_.album},
                                {"TDRC", "2024-05-17"},
                                {"TCON", "Synthpop"},
                                {"TRCK", "3/12"},
                                {"TPOS", "1/2"},
                                {"TSRC", "SEXYZ0300001"}}));
    const MusicBrainzIds& ids = record_.musicBrainz;
    EXPECT_EQ(userTexts, (StringMap{{"MusicBrainz Album Id", ids.albumId},
                                    {"MusicBrainz Release Group Id", ids.releaseGroupId},
                                    {"MusicBrainz Album Artist Id", ids.albumArtistId},
                                    {"MusicBrainz Artist Id", ids.artistId},
                                    {"MusicBrainz Release Track Id", ids.releaseTrackId},
                                    {"MusicBrainz Disc Id", ids.discId}}));

    ASSERT_EQ(tag.frameList("COMM").size(), 1u);
    const auto* comment =
        dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(tag.frameList("COMM").front());
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(Bytes(comment->language()), "eng");
    EXPECT_EQ(Utf8(comment->description()), "");
    EXPECT_EQ(Utf8(comment->text()), record_.comment);

    ASSERT_EQ(tag.frameList("UFID").size(), 1u);
    const auto* ufid = dynamic_cast<const TagLib::ID3v2::UniqueFileIdentifierFrame*>(
        tag.frameList("UFID").front());
    ASSERT_NE(ufid, nullptr);
    EXPECT_EQ(Utf8(ufid->owner()), "http://musicbrainz.org");
    EXPECT_EQ(Bytes(ufid->identifier()), ids.recordingId);

    ASSERT_EQ(tag.frameList("APIC").size(), 1u);
    const auto* picture =
        dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(tag.frameList("APIC").front());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->type(), TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    EXPECT_EQ(Utf8(picture->mimeType()), "image/jpeg");
    EXPECT_EQ(Bytes(picture->picture()), record_.cover->data);

    EXPECT_EQ(frames, 9 + 6 + 3) << "nothing more";
}

TEST_F(FileTagWriter, Mp3KeepsItsId3v1TagAndEveryAudioByteBehindTheId3v2Tag)
{
    const path mp3 = LameMp3("v1.mp3");
    Tid3tag v1;
    v1.SetTitle("Old title");
    v1.SetTrack(9);
    v1.SetGenre(17);
    ASSERT_EQ(v1.Write(mp3), 0);
    const std::string before = test::ReadFile(mp3);
    const std::vector<int16_t> samples = test::FfmpegDecode(mp3);
    ASSERT_FALSE(samples.empty());

    WriteFileTags(mp3.string(), FileTagFormat::Id3v2, record_);
    const std::string after = test::ReadFile(mp3);
    ASSERT_TRUE(after.starts_with("ID3\x04"));
    EXPECT_EQ(after.substr(Id3v2Size(after)), before)
        << "the ID3v2 tag first, then the frames and the ID3v1 tag byte for byte";
    EXPECT_EQ(after.substr(after.size() - Tid3tag::kTagSize, 3), "TAG") << "ID3v1 last";
    EXPECT_EQ(test::FfmpegDecode(mp3), samples);

    EXPECT_EQ(ReadFileTags(mp3.string()), record_) << "ID3v1 fills nothing the ID3v2 tag has";
}

TEST_F(FileTagWriter, ApeGetsPicardsItemKeysAndTheCoverAsABinaryItem)
{
    const path ape = MacApe("full.ape");
    WriteFileTags(ape.string(), FileTagFormat::Ape, record_);

    TagLib::APE::File file(ape.c_str());
    ASSERT_TRUE(file.hasAPETag());
    StringMap texts;
    std::string cover;
    for (const auto& [upperKey, item] : file.APETag()->itemListMap()) {
        if (item.type() == TagLib::APE::Item::Binary)
            cover = Utf8(item.key()) + "=" + Bytes(item.binaryData());
        else
            texts[Utf8(item.key())] = Utf8(item.toString());
    }
    const MusicBrainzIds& ids = record_.musicBrainz;
    EXPECT_EQ(texts, (StringMap{{"Title", record_.title},
                                {"Artist", record_.artist},
                                {"Album Artist", record_.albumArtist},
                                {"Album", record_.album},
                                {"Year", "2024-05-17"},
                                {"Genre", "Synthpop"},
                                {"Comment", record_.comment},
                                {"Track", "3/12"},
                                {"Disc", "1/2"},
                                {"ISRC", "SEXYZ0300001"},
                                {"MUSICBRAINZ_TRACKID", ids.recordingId},
                                {"MUSICBRAINZ_RELEASETRACKID", ids.releaseTrackId},
                                {"MUSICBRAINZ_ALBUMID", ids.albumId},
                                {"MUSICBRAINZ_RELEASEGROUPID", ids.releaseGroupId},
                                {"MUSICBRAINZ_ARTISTID", ids.artistId},
                                {"MUSICBRAINZ_ALBUMARTISTID", ids.albumArtistId},
                                {"MUSICBRAINZ_DISCID", ids.discId}}));
    EXPECT_EQ(cover, "Cover Art (Front)=Cover Art (Front).jpg" + std::string(1, '\0') +
                         record_.cover->data);
}

TEST_F(FileTagWriter, WmaGetsItsAttributesAndKeepsTheEncodersCopyrightAndTrack)
{
    // What our WMA encoder writes before the tag writer comes.
    const path wma =
        test::FfmpegTone(dir_ / "full.wma", "-c:a wmav2 -metadata title=Old -metadata 'WM/Track=3' "
                                            "-metadata 'copyright=From the encoder'");
    WriteFileTags(wma.string(), FileTagFormat::Asf, record_);

    TagLib::ASF::File file(wma.c_str());
    ASSERT_TRUE(file.isValid());
    const TagLib::ASF::Tag& tag = *file.tag();
    EXPECT_EQ(Utf8(tag.title()), record_.title);
    EXPECT_EQ(Utf8(tag.artist()), record_.artist);
    EXPECT_EQ(Utf8(tag.comment()), record_.comment);
    EXPECT_EQ(Utf8(tag.copyright()), "From the encoder");
    EXPECT_EQ(test::ProbeTags(wma)["title"], record_.title) << "ffmpeg's copy of the old title";
    StringMap texts;
    std::vector<TagLib::ASF::Picture> pictures;
    for (const auto& [name, values] : tag.attributeListMap()) {
        for (const TagLib::ASF::Attribute& value : values) {
            if (value.type() == TagLib::ASF::Attribute::BytesType) {
                pictures.push_back(value.toPicture());
            } else if (value.type() == TagLib::ASF::Attribute::UnicodeType) {
                EXPECT_TRUE(texts.emplace(Utf8(name), Utf8(value.toString())).second) << Utf8(name);
            }
        }
    }
    texts.erase("WM/EncodingSettings"); // ffmpeg's version
    const MusicBrainzIds& ids = record_.musicBrainz;
    EXPECT_EQ(texts, (StringMap{{"WM/AlbumTitle", record_.album},
                                {"WM/AlbumArtist", record_.albumArtist},
                                {"WM/Year", "2024-05-17"},
                                {"WM/Genre", "Synthpop"},
                                {"WM/TrackNumber", "3"},
                                {"WM/PartOfSet", "1/2"},
                                {"WM/ISRC", "SEXYZ0300001"},
                                {"WM/Track", "3"},
                                {"copyright", "From the encoder"}, // ffmpeg's copy
                                {"MusicBrainz/Track Id", ids.recordingId},
                                {"MusicBrainz/Release Track Id", ids.releaseTrackId},
                                {"MusicBrainz/Album Id", ids.albumId},
                                {"MusicBrainz/Release Group Id", ids.releaseGroupId},
                                {"MusicBrainz/Artist Id", ids.artistId},
                                {"MusicBrainz/Album Artist Id", ids.albumArtistId},
                                {"MusicBrainz/Disc Id", ids.discId}}));
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].type(), TagLib::ASF::Picture::FrontCover);
    EXPECT_EQ(Utf8(pictures[0].mimeType()), "image/jpeg");
    EXPECT_EQ(Utf8(pictures[0].description()), "");
    EXPECT_EQ(Bytes(pictures[0].picture()), record_.cover->data);
}

TEST_F(FileTagWriter, AFileThatIsNotOneOfTheFormatIsRefusedUntouched)
{
    test::WriteFile(dir_ / "noise.mp3", std::string(4096, '\x55'));
    ExpectRefused(dir_ / "noise.mp3", FileTagFormat::Id3v2, "it is not an MP3 file");
    test::WriteFile(dir_ / "noise.wma", std::string(4096, '\x55'));
    ExpectRefused(dir_ / "noise.wma", FileTagFormat::Asf, "it is not a WMA file");
    ExpectRefused(LameMp3("song.mp3"), FileTagFormat::Ape, "it is not a Monkey's Audio file");
    ExpectRefused(dir_ / "missing.mp3", FileTagFormat::Id3v2, "No such file or directory");
    std::filesystem::create_directory(dir_ / "folder.ape");
    ExpectRefused(dir_ / "folder.ape", FileTagFormat::Ape, "it is not a regular file");
}

// Root writes any file: an ordinary user tries, in a child process.
[[noreturn]] void WriteAsOrdinaryUser(const path& file, const TrackRecord& record)
{
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0 && ::setuid(kNobody) != 0)
        std::_Exit(2);
    try {
        WriteFileTags(file.string(), FileTagFormat::Id3v2, record);
    } catch (const std::runtime_error& error) {
        std::fputs(error.what(), stderr);
        std::_Exit(0);
    }
    std::_Exit(1);
}

TEST_F(FileTagWriter, AReadOnlyFileIsRefusedUntouched)
{
    using std::filesystem::perms;
    const path mp3 = LameMp3("read-only.mp3");
    std::filesystem::permissions(mp3, perms::owner_read | perms::group_read | perms::others_read);
    std::filesystem::permissions(dir_.path(), perms::others_read | perms::others_exec,
                                 std::filesystem::perm_options::add);
    const std::string before = test::ReadFile(mp3);
    EXPECT_EXIT(WriteAsOrdinaryUser(mp3, record_), ::testing::ExitedWithCode(0),
                "^Cannot write the tags of " + mp3.string() + ": Permission denied$");
    EXPECT_EQ(test::ReadFile(mp3), before);
}

} // namespace
} // namespace corvath
