#include "support/cover_archive.h"
#include "support/temp_dir.h"
#include "tags/cover_picture.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

// A JPEG's start: an APP0 segment, then a baseline frame header of 640×480 with 3 components.
const std::string kJpegHead = std::string("\xFF\xD8\xFF\xE0\x00\x04\x00\x00"
                                          "\xFF\xC0\x00\x11\x08\x01\xE0\x02\x80\x03",
                                          18);

TEST(CoverPictureTest, TheFirstBytesTellTheTypeAndTheHeadersTheSize)
{
    const std::optional<CoverPicture> jpeg = CoverPictureOf(kJpegHead);
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->mimeType, "image/jpeg");
    EXPECT_EQ(jpeg->data, kJpegHead);
    EXPECT_EQ(jpeg->width, 640u);
    EXPECT_EQ(jpeg->height, 480u);
    EXPECT_EQ(jpeg->depth, 24u);

    // An 8-bit RGBA PNG of 300×200.
    const std::string png("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR\x00\x00\x01\x2C\x00\x00\x00\xC8"
                          "\x08\x06\x00\x00\x00",
                          29);
    const std::optional<CoverPicture> picture = CoverPictureOf(png);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->mimeType, "image/png");
    EXPECT_EQ(CoverExtension(*picture), ".png");
    EXPECT_EQ(picture->width, 300u);
    EXPECT_EQ(picture->height, 200u);
    EXPECT_EQ(picture->depth, 32u);
}

TEST(CoverPictureTest, CutHeadersLeaveTheSizeUnknownAndOtherBytesAreNoPicture)
{
    const std::optional<CoverPicture> cut = CoverPictureOf(kJpegHead.substr(0, 12));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->width, 0u);
    EXPECT_EQ(cut->height, 0u);
    EXPECT_EQ(CoverExtension(*cut), ".jpg");

    EXPECT_FALSE(CoverPictureOf("<!DOCTYPE html><html></html>"));
    EXPECT_FALSE(CoverPictureOf(""));
    EXPECT_FALSE(CoverPictureOf("\xFF\xD8"));
    EXPECT_FALSE(CoverPictureOf("GIF89a"));
}

// Real images made by ffmpeg are whole; a start, a cut or a header alone is not.
TEST(CoverPictureTest, OnlyAWholeImageHasNoProblem)
{
    const test::TempDir dir;
    const std::string jpeg = test::RedSquare(dir.path(), "jpg");
    const std::string png = test::RedSquare(dir.path(), "png");
    struct Case {
        const char* name;
        std::string bytes;
        std::string problem;
    };
    for (const Case& c : {
             Case{"JPEG", jpeg, ""},
             Case{"JPEG padded after its end", jpeg + std::string(4, '\0'), ""},
             Case{"PNG", png, ""},
             Case{"JPEG start", "\xFF\xD8\xFF", "no whole JPEG image"},
             Case{"JPEG header alone", kJpegHead, "no whole JPEG image"},
             Case{"JPEG header and end", kJpegHead + "\xFF\xD9", "no whole JPEG image"},
             Case{"cut JPEG", jpeg.substr(0, jpeg.size() - 1), "no whole JPEG image"},
             Case{"PNG signature", "\x89PNG\r\n\x1A\n", "no whole PNG image"},
             Case{"cut PNG", png.substr(0, png.size() - 1), "no whole PNG image"},
             Case{"PNG without its header chunk", png.substr(0, 8) + png.substr(33),
                  "no whole PNG image"},
         }) {
        SCOPED_TRACE(c.name);
        const std::optional<CoverPicture> picture = CoverPictureOf(c.bytes);
        ASSERT_TRUE(picture);
        EXPECT_EQ(CoverImageProblem(*picture), c.problem);
    }
}

TEST(CoverPictureTest, TheBlockBodyIsBigEndianWithAnEmptyDescription)
{
    const CoverPicture picture{"image/png", "DATA", 1, 2, 24};
    EXPECT_EQ(PictureBlockBody(picture),
              std::string("\0\0\0\3\0\0\0\x09image/png\0\0\0\0\0\0\0\1\0\0\0\2\0\0\0\x18"
                          "\0\0\0\0\0\0\0\4DATA",
                          45));
}

} // namespace
} // namespace corvath
