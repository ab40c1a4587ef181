#include "lookup/cover_art.h"
#include "lookup/musicbrainz_lookup.h"
#include "support/cover_archive.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

using Outcome = CoverArtFetch::Outcome;
using test::TestCoverArchive;

constexpr const char* kMbid = "b84ee12a-09ef-421b-82de-0441a926375b";

class CoverArtTest : public ::testing::Test {
protected:
    test::TempDir dir_;
};

TEST_F(CoverArtTest, AJpegBehindTheRedirectIsFoundWithItsSize)
{
    const std::string jpeg = test::RedSquare(dir_.path(), "jpg");
    ASSERT_TRUE(jpeg.starts_with("\xFF\xD8\xFF"));
    const TestCoverArchive archive(jpeg);

    const CoverArtFetch fetch = FetchFrontCover(archive.Url(), kMbid, {});
    ASSERT_EQ(fetch.outcome, Outcome::Found) << fetch.failure;
    EXPECT_EQ(fetch.picture.data, jpeg);
    EXPECT_EQ(fetch.picture.mimeType, "image/jpeg");
    EXPECT_EQ(fetch.picture.width, 16u);
    EXPECT_EQ(fetch.picture.height, 16u);
    EXPECT_EQ(fetch.picture.depth, 24u);
    EXPECT_EQ(archive.RequestLines(), std::vector<std::string>{std::string("GET /release/") +
                                                               kMbid + "/front-500 HTTP/1.1"});
}

TEST_F(CoverArtTest, APngIsTakenAsPng)
{
    const std::string png = test::RedSquare(dir_.path(), "png");
    const TestCoverArchive archive(png);

    const CoverArtFetch fetch = FetchFrontCover(archive.Url(), kMbid, {});
    ASSERT_EQ(fetch.outcome, Outcome::Found) << fetch.failure;
    EXPECT_EQ(fetch.picture.mimeType, "image/png");
    EXPECT_EQ(fetch.picture.width, 16u);
    EXPECT_EQ(fetch.picture.height, 16u);
    EXPECT_GT(fetch.picture.depth, 0u);
    EXPECT_EQ(CoverExtension(fetch.picture), ".png");
}

TEST_F(CoverArtTest, NoCoverAndAPageAreNoCover)
{
    EXPECT_EQ(FetchFrontCover(TestCoverArchive(std::nullopt).Url(), kMbid, {}).outcome,
              Outcome::None);
    EXPECT_EQ(
        FetchFrontCover(TestCoverArchive("<html><body>Not here</body></html>").Url(), kMbid, {})
            .outcome,
        Outcome::None);
}

// An image too large or not whole is refused with the reason, never found.
TEST_F(CoverArtTest, ATooLargeOrBrokenImageIsRefusedWithTheReason)
{
    const std::string jpeg = test::RedSquare(dir_.path(), "jpg");
    const std::string png = test::RedSquare(dir_.path(), "png");
    std::string huge = jpeg;
    huge.resize(kMaxCoverBytes + 1);
    struct Case {
        const char* name;
        std::string image;
        std::string reason;
    };
    for (const Case& c : {
             Case{"too large", huge, "The cover art is too large: 8388609 bytes (8388608 at most)"},
             Case{"three bytes", "\xFF\xD8\xFF", "The cover art is no whole JPEG image"},
             Case{"cut JPEG", jpeg.substr(0, jpeg.size() - 20),
                  "The cover art is no whole JPEG image"},
             Case{"cut PNG", png.substr(0, png.size() - 20), "The cover art is no whole PNG image"},
         }) {
        SCOPED_TRACE(c.name);
        const CoverArtFetch fetch = FetchFrontCover(TestCoverArchive(c.image).Url(), kMbid, {});
        EXPECT_NE(fetch.outcome, Outcome::Found);
        EXPECT_NE(fetch.outcome, Outcome::None);
        EXPECT_EQ(fetch.failure, c.reason);
    }
}

TEST_F(CoverArtTest, AServerErrorAndNoServerAreFailures)
{
    const test::HttpTestServer broken(test::HttpTestServer::ServerError());
    const CoverArtFetch error = FetchFrontCover("http://" + broken.Address(), kMbid, {});
    EXPECT_EQ(error.outcome, Outcome::Failed);
    EXPECT_NE(error.failure.find("HTTP 500"), std::string::npos) << error.failure;

    const CoverArtFetch unreachable =
        FetchFrontCover("http://" + test::HttpTestServer::ClosedAddress(), kMbid, {});
    EXPECT_EQ(unreachable.outcome, Outcome::Failed);
    EXPECT_NE(unreachable.failure.find("Could not connect to"), std::string::npos);
}

} // namespace
} // namespace corvath
