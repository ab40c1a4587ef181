#include "app/drive_opening.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "support/disc_image.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

// The index an image gets in the drive list once registered.
int32_t ListIndexOf(const std::filesystem::path& image)
{
    EXPECT_TRUE(RegisterDiscImage(image.string()));
    const std::optional<std::size_t> index = test::DriveListIndex(image);
    EXPECT_TRUE(index) << image << " is not in the drive list";
    return index ? static_cast<int32_t>(*index) : -1;
}

TEST(DriveOpeningTest, OpensAListEntryAndDescribesIt)
{
    test::TempDir dir;
    const int32_t index = ListIndexOf(
        test::WriteCueImage(dir / "a disc with a long name", {{test::AudioSectors(20, 1)}}));
    const DriveOpening opened = OpenDrive(index);
    EXPECT_NE(opened.handle, 0);
    // Vendor and product run on, cut to 26 characters.
    EXPECT_EQ(opened.status, "Image   a disc with a lo");
    EXPECT_TRUE(CloseDrive(opened.handle));
    EXPECT_FALSE(CloseDrive(opened.handle));
    EXPECT_TRUE(CloseDrive(0));

    const DriveOpening beyond = OpenDrive(index + 1);
    EXPECT_EQ(beyond.handle, 0);
    EXPECT_EQ(beyond.status, "CD device information error in your configration!");
}

// The image's sectors are gone, so the drive cannot be opened: the handles 1 to 10 are closed
// until one closes (here the one left open before), the handle is asked for once more, and the
// status says there is no drive.
TEST(DriveOpeningTest, AHandleThatCannotBeHadIsReported)
{
    test::TempDir dir;
    const auto cue = test::WriteCueImage(dir / "gone", {{test::AudioSectors(20, 2)}});
    const int32_t index = ListIndexOf(cue);
    const int32_t leftOpen = OpenDrive(index).handle;
    ASSERT_NE(leftOpen, 0);
    ASSERT_LE(leftOpen, 10);
    std::filesystem::remove(std::filesystem::path(cue).replace_extension(".bin"));

    const DriveOpening opened = OpenDrive(index);
    EXPECT_EQ(opened.handle, 0);
    EXPECT_EQ(opened.status, "Can not find CD devices!");
    EXPECT_FALSE(CloseDrive(leftOpen)) << "the retry closed the handle left open";
}

} // namespace
} // namespace corvath
