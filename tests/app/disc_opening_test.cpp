#include "app/disc_opening.h"
#include "platform/cdaudio/cd_player.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "support/disc_image.h"
#include "support/recording_output.h"
#include "support/temp_dir.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>

namespace corvath {
namespace {

// The index an image gets in the drive list once registered.
int32_t ListIndexOf(const std::filesystem::path& image)
{
    const std::optional<int32_t> index = RegisterImage(image.string());
    EXPECT_TRUE(index) << image << " is not in the drive list";
    EXPECT_EQ(index, test::DriveListIndex(image));
    return index.value_or(-1);
}

TEST(DiscOpeningTest, OpensAListEntryAndDescribesIt)
{
    test::TempDir dir;
    const int32_t index = ListIndexOf(
        test::WriteCueImage(dir / "a disc with a long name", {{test::AudioSectors(20, 1)}}));
    DiscOpening opened = OpenDrive(index);
    const int32_t handle = opened.handle.get();
    EXPECT_NE(handle, 0);
    EXPECT_EQ(opened.failure, DiscOpenFailure::None);
    // Vendor and product run on, cut to 26 characters.
    EXPECT_EQ(DriveDescription(opened.drive), "Image   a disc with a lo");
    EXPECT_TRUE(opened.handle.Close());
    EXPECT_FALSE(CloseCDHandle(handle)) << "closed once only";
    EXPECT_TRUE(opened.handle.Close()) << "nothing left to close";

    const DiscOpening beyond = OpenDrive(index + 1);
    EXPECT_FALSE(beyond.handle);
    EXPECT_EQ(beyond.failure, DiscOpenFailure::NoSuchEntry);
    EXPECT_EQ(beyond.driveCount, index + 1);
    EXPECT_EQ(OpenDrive(-1).failure, DiscOpenFailure::NoSuchEntry);
}

// The image's sectors are gone, so the drive cannot be opened: the handle an earlier opening
// left open is closed and the handle asked for once more. A handle opened otherwise, even one
// numbered before it, stays open.
TEST(DiscOpeningTest, AHandleThatCannotBeHadIsReported)
{
    test::TempDir dir;
    const auto cue = test::WriteCueImage(dir / "gone", {{test::AudioSectors(20, 2)}});
    const int32_t index = ListIndexOf(cue);
    const int32_t others = OpenDiscImage(cue.string());
    ASSERT_NE(others, 0);
    const DiscOpening earlier = OpenDrive(index);
    ASSERT_TRUE(earlier.handle);
    std::filesystem::remove(std::filesystem::path(cue).replace_extension(".bin"));

    const DiscOpening opened = OpenDrive(index);
    EXPECT_FALSE(opened.handle);
    EXPECT_EQ(opened.failure, DiscOpenFailure::Refused);
    EXPECT_EQ(DriveDescription(opened.drive), "Image   gone.cue");
    EXPECT_FALSE(CloseCDHandle(earlier.handle.get())) << "the retry closed the earlier opening's";
    EXPECT_TRUE(CloseCDHandle(others)) << "the handle opened otherwise stayed open";
}

// Choosing a drive that refuses while a track plays: the retry leaves the player's handle alone,
// and the track plays to its end.
TEST(DiscOpeningTest, TheRetryLeavesThePlayersHandleOpen)
{
    test::TempDir dir;
    const std::vector<uint8_t> track = test::AudioSectors(30, 5);
    const int32_t played = ListIndexOf(test::WriteCueImage(dir / "played", {{track}}));
    const auto refusing = test::WriteCueImage(dir / "refusing", {{test::AudioSectors(20, 6)}});
    const int32_t refused = ListIndexOf(refusing);
    std::filesystem::remove(std::filesystem::path(refusing).replace_extension(".bin"));

    test::RecordingOutput sound;
    sound.Hold(true);
    CdPlayer player(sound.Factory());
    ASSERT_TRUE(player.Open(played));
    std::promise<std::string> ended;
    ASSERT_TRUE(player.Play(1, std::nullopt,
                            [&ended](const std::string& failure) { ended.set_value(failure); }));
    EXPECT_EQ(OpenDrive(refused).failure, DiscOpenFailure::Refused);
    sound.Hold(false);

    std::future<std::string> failure = ended.get_future();
    ASSERT_EQ(failure.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(failure.get(), "");
    EXPECT_TRUE(sound.Takes() == std::vector<std::string>{std::string(track.begin(), track.end())});
}

TEST(DiscOpeningTest, AnImageOpensAsItsDriveListEntry)
{
    test::TempDir dir;
    const auto cue = test::WriteCueImage(
        dir / "two tracks", {{test::AudioSectors(30, 3)}, {test::AudioSectors(40, 4)}});
    const DiscOpening opened = OpenImage(cue.string());
    ASSERT_TRUE(opened.handle);
    EXPECT_EQ(std::string(opened.drive.Identification.data()), cue.string());
    CdToc toc;
    ASSERT_EQ(ReadTOC(opened.handle.get(), toc), 1);
    EXPECT_EQ(toc.FirstTrack, 1);
    EXPECT_EQ(toc.LastTrack, 2);

    EXPECT_EQ(OpenImage((dir / "missing.cue").string()).failure, DiscOpenFailure::UnreadableImage);
    EXPECT_FALSE(RegisterImage((dir / "missing.cue").string()));
}

} // namespace
} // namespace corvath
