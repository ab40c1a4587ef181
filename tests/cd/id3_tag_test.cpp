#include "cd/id3_tag.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace corvath {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

constexpr std::size_t kTitle = 3, kArtist = 33, kAlbum = 63, kYear = 93, kComment = 97;

std::string Nul(std::size_t count)
{
    return std::string(count, '\0');
}

// The last 128 bytes of a file.
std::string TagIn(const std::filesystem::path& file)
{
    const std::string bytes = ReadFile(file);
    return bytes.size() < 128 ? std::string() : bytes.substr(bytes.size() - 128);
}

class Id3TagTest : public ::testing::Test {
protected:
    // A stand-in for an MP3 file without a tag.
    std::filesystem::path Mp3(std::size_t size = 100)
    {
        const std::filesystem::path file = dir_ / "track.mp3";
        WriteFile(file, std::string(size, '\xFF'));
        return file;
    }

    // Writes tag_ into a fresh file and returns the tag bytes, or fails the test.
    std::string WrittenTag()
    {
        const std::filesystem::path file = Mp3();
        EXPECT_EQ(tag_.Write(file), 0);
        return TagIn(file);
    }

    TempDir dir_;
    Tid3tag tag_;
};

TEST_F(Id3TagTest, AppendsToAFileWithoutTag)
{
    const std::filesystem::path file = Mp3(100);
    tag_.SetTitle("Title");
    tag_.SetArtist("Artist");
    tag_.SetAlbum("Album");
    tag_.SetYear("1999");
    tag_.SetGenre(17);

    ASSERT_EQ(tag_.Write(file), 0);

    const std::string bytes = ReadFile(file);
    ASSERT_EQ(bytes.size(), 228u);
    EXPECT_EQ(bytes.substr(0, 100), std::string(100, '\xFF'));
    const std::string tag = bytes.substr(100);
    EXPECT_EQ(tag.substr(0, 3), "TAG");
    EXPECT_EQ(tag.substr(kTitle, 30), "Title" + Nul(25));
    EXPECT_EQ(tag.substr(kArtist, 30), "Artist" + Nul(24));
    EXPECT_EQ(tag.substr(kAlbum, 30), "Album" + Nul(25));
    EXPECT_EQ(tag.substr(kYear, 4), "1999");
    EXPECT_EQ(tag.substr(kComment, 30), Nul(30));
    EXPECT_EQ(tag[127], '\x11');
    EXPECT_EQ(tag_.LastFile(), file);
}

TEST_F(Id3TagTest, UnsetFieldsAreNulAndGenreIsNone)
{
    const std::string tag = WrittenTag();
    EXPECT_EQ(tag.substr(3, 124), Nul(124));
    EXPECT_EQ(tag[127], '\xFF');
}

TEST_F(Id3TagTest, WritingTwiceLeavesOneTag)
{
    const std::filesystem::path file = Mp3(100);
    tag_.SetTitle("First");
    ASSERT_EQ(tag_.Write(file), 0);
    tag_.SetTitle("Second");
    ASSERT_EQ(tag_.Write(file), 0);

    EXPECT_EQ(ReadFile(file).size(), 228u);
    EXPECT_EQ(TagIn(file).substr(kTitle, 30), "Second" + Nul(24));
}

TEST_F(Id3TagTest, OnlyTagAtTheVeryEndIsReplaced)
{
    // "TAG" that is not exactly 128 bytes from the end is audio data.
    const std::filesystem::path file = dir_ / "track.mp3";
    WriteFile(file, "TAG" + std::string(200, 'x'));
    ASSERT_EQ(tag_.Write(file), 0);
    EXPECT_EQ(ReadFile(file).size(), 331u);
}

TEST_F(Id3TagTest, CommentLayoutFollowsTheTrack)
{
    const std::string comment = "abcdefghijklmnopqrstuvwxyz0123"; // 30 characters
    tag_.SetComment(comment);

    tag_.SetTrack(0);
    EXPECT_FALSE(tag_.HasTrack());
    EXPECT_EQ(WrittenTag().substr(kComment, 30), comment);

    tag_.SetTrack(5);
    EXPECT_TRUE(tag_.HasTrack());
    EXPECT_EQ(WrittenTag().substr(kComment, 30), comment.substr(0, 28) + '\0' + '\x05');
}

TEST_F(Id3TagTest, YearKeepsFourCharacters)
{
    tag_.SetYear("19991");
    EXPECT_EQ(tag_.Year(), "1999");
    EXPECT_EQ(WrittenTag().substr(kYear, 4), "1999");

    tag_.SetYear("");
    EXPECT_EQ(WrittenTag().substr(kYear, 4), Nul(4));
}

TEST_F(Id3TagTest, SettersCountCharactersNotBytes)
{
    std::string thirtyOne;
    for (int i = 0; i < 31; ++i)
        thirtyOne += "é";
    tag_.SetTitle(thirtyOne);
    EXPECT_EQ(tag_.Title().size(), 60u) << "30 two-byte characters";
    EXPECT_EQ(WrittenTag().substr(kTitle, 30), std::string(30, '\xE9'));
}

TEST_F(Id3TagTest, TextIsWrittenAsLatin1)
{
    tag_.SetTitle("Café");
    tag_.SetArtist("東京 €");
    tag_.SetAlbum("a\xFF"
                  "b\xC3");                   // stray and truncated UTF-8 bytes
    tag_.SetComment("\xC0\xAF\xED\xA0\x80!"); // overlong "/" and a surrogate
    const std::string tag = WrittenTag();

    EXPECT_EQ(tag.substr(kTitle, 5), "Caf\xE9" + Nul(1));
    EXPECT_EQ(tag.substr(kArtist, 5), "?? ?" + Nul(1));
    EXPECT_EQ(tag.substr(kAlbum, 5), "a?b?" + Nul(1));
    EXPECT_EQ(tag.substr(kComment, 7), std::string(5, '?') + "!" + Nul(1));
}

TEST_F(Id3TagTest, MissingFileIsError1)
{
    EXPECT_EQ(tag_.Write(dir_ / "missing.mp3"), 1 << 8);
    EXPECT_EQ(tag_.Write(dir_ / "missing" / "track.mp3"), 1 << 8);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "missing.mp3"));
    EXPECT_TRUE(tag_.LastFile().empty());
}

TEST_F(Id3TagTest, OnlyRegularFilesAreTagged)
{
    EXPECT_EQ(tag_.Write(dir_.path()), 1 << 8);
    EXPECT_EQ(tag_.Write("/dev/null"), 1 << 8);
}

TEST_F(Id3TagTest, ReadOnlyFileIsError2AndUntouched)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write to read-only files";
    const std::filesystem::path file = Mp3(100);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);

    EXPECT_EQ(tag_.Write(file), 2 << 8);
    EXPECT_EQ(ReadFile(file), std::string(100, '\xFF'));
}

TEST_F(Id3TagTest, FailedAppendIsError4AndLeavesTheFileAsItWas)
{
    const std::filesystem::path file = Mp3(100);
    tag_.SetTitle("Title");
    {
        const test::FileSizeLimit limit(150); // room for part of the tag only
        EXPECT_EQ(tag_.Write(file), 4 << 8);
    }
    EXPECT_EQ(ReadFile(file), std::string(100, '\xFF'));
    EXPECT_TRUE(tag_.LastFile().empty());
}

} // namespace
} // namespace corvath
