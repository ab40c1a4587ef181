#include "lookup/cover_cache.h"
#include "support/cover_archive.h"
#include "support/temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace corvath {
namespace {

namespace fs = std::filesystem;

// Points the cache at a folder of the test.
class CoverCacheTest : public ::testing::Test {
protected:
    CoverPicture Picture(const std::string& extension) const
    {
        return *CoverPictureOf(test::RedSquare(dir_.path(), extension));
    }

    test::TempDir dir_;
    const test::CoverCacheIn cache_{dir_.path()};
};

TEST_F(CoverCacheTest, AStoredCoverIsReadBackByTheDiscKey)
{
    EXPECT_EQ(CoverCacheFolder(), dir_ / "corvath" / "covers");
    EXPECT_FALSE(LoadCover("-1234"));

    const CoverPicture jpeg = Picture("jpg");
    EXPECT_EQ(StoreCover("-1234", jpeg), dir_ / "corvath" / "covers" / "-1234.jpg");
    EXPECT_EQ(test::ReadFile(dir_ / "corvath" / "covers" / "-1234.jpg"), jpeg.data);
    const std::optional<CachedCover> loaded = LoadCover("-1234");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->file, dir_ / "corvath" / "covers" / "-1234.jpg");
    EXPECT_EQ(loaded->picture.data, jpeg.data);
    EXPECT_EQ(loaded->picture.mimeType, "image/jpeg");
    EXPECT_FALSE(LoadCover("5678")) << "another disc has none";
    EXPECT_FALSE(LoadCover("")) << "a disc without a key has none";
}

TEST_F(CoverCacheTest, ANewCoverReplacesTheOldOneOfEitherType)
{
    StoreCover("42", Picture("jpg"));
    const CoverPicture png = Picture("png");
    StoreCover("42", png);
    EXPECT_FALSE(fs::exists(dir_ / "corvath" / "covers" / "42.jpg"));
    ASSERT_TRUE(LoadCover("42"));
    EXPECT_EQ(LoadCover("42")->picture.data, png.data);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "corvath" / "covers"),
                            fs::directory_iterator()),
              1)
        << "no temporary file stays";

    ForgetCover("42");
    EXPECT_FALSE(LoadCover("42"));
}

// A file in the cache that is no whole image (a cut download, an older version's keeping) is
// no cover; a whole one of the other type still is.
TEST_F(CoverCacheTest, OnlyAWholeImageIsACover)
{
    const fs::path folder = dir_ / "corvath" / "covers";
    fs::create_directories(folder);
    test::WriteFile(folder / "7.jpg", "\xFF\xD8\xFF");
    EXPECT_FALSE(LoadCover("7"));
    const CoverPicture png = Picture("png");
    test::WriteFile(folder / "7.png", png.data);
    ASSERT_TRUE(LoadCover("7"));
    EXPECT_EQ(LoadCover("7")->picture, png);

    const CoverPicture jpeg = Picture("jpg");
    EXPECT_THROW(StoreCover("8", *CoverPictureOf(jpeg.data.substr(0, 100))), std::runtime_error);
    EXPECT_FALSE(fs::exists(folder / "8.jpg"));
}

TEST_F(CoverCacheTest, WithoutXdgCacheHomeTheCacheIsInTheHomeFolder)
{
    unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(CoverCacheFolder(), fs::path(std::getenv("HOME")) / ".cache" / "corvath" / "covers");
    setenv("XDG_CACHE_HOME", "", 1);
    EXPECT_EQ(CoverCacheFolder(), fs::path(std::getenv("HOME")) / ".cache" / "corvath" / "covers");
}

} // namespace
} // namespace corvath
