#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/cd_errors.h"
#include "support/disc_image.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

class ImageProblemTest : public ::testing::Test {
protected:
    // Why registering the image fails, as the user is told.
    std::string Problem(const std::filesystem::path& image)
    {
        SetCdLastError(kCdErrorNone);
        EXPECT_FALSE(RegisterDiscImage(image.string())) << image;
        EXPECT_EQ(GetAspiLibError(), kCdErrorNoDisc);
        return GetCdLastErrorText();
    }

    test::TempDir dir_;
};

TEST_F(ImageProblemTest, FilesThatAreNoImageSaySo)
{
    EXPECT_EQ(Problem(dir_ / "missing.cue"), "the file does not exist");
    EXPECT_EQ(Problem(dir_.path()), "it is a folder");
    test::WriteFile(dir_ / "notes.txt", "TRACK 01 AUDIO\n");
    EXPECT_EQ(Problem(dir_ / "notes.txt"), "it is not a disc image (a .cue, .toc or .nrg file)");
    test::WriteFile(dir_ / "broken.nrg", "not a disc");
    EXPECT_EQ(Problem(dir_ / "broken.nrg"), "it is not an NRG image");

    // A .bin is read through its cue sheet, which is the one named when it cannot be read.
    test::WriteFile(dir_ / "lone.bin", std::string(2352, '\0'));
    EXPECT_EQ(Problem(dir_ / "lone.bin"),
              "its cue sheet \"" + (dir_ / "lone.cue").string() + "\" is missing");
    std::filesystem::create_directory(dir_ / "lone.cue");
    EXPECT_EQ(Problem(dir_ / "lone.bin"),
              "its cue sheet \"" + (dir_ / "lone.cue").string() + "\": it is a folder");
}

TEST_F(ImageProblemTest, CueSheetsWithoutTracksOrSectorsSayWhatIsMissing)
{
    test::WriteFile(dir_ / "empty.cue", " \n\n");
    test::WriteFile(dir_ / "empty.bin", std::string(2352 * 10, '\0'));
    EXPECT_EQ(Problem(dir_ / "empty.cue"), "the cue sheet is empty");

    test::WriteFile(dir_ / "no tracks.cue", "FILE \"no tracks.bin\" BINARY\n");
    test::WriteFile(dir_ / "no tracks.bin", std::string(2352 * 10, '\0'));
    EXPECT_EQ(Problem(dir_ / "no tracks.cue"), "the cue sheet lists no tracks");

    const auto cue = test::WriteCueImage(dir_ / "disc", {{test::AudioSectors(10, 1)}});
    std::filesystem::remove(dir_ / "disc.bin");
    EXPECT_EQ(Problem(cue), "its data file \"" + (dir_ / "disc.bin").string() + "\" is missing");

    // The data file is a second long; the second track would start ten minutes in.
    const auto shortened = test::WriteCueImage(dir_ / "short", {{test::AudioSectors(75, 1)}});
    test::WriteFile(shortened,
                    test::ReadFile(shortened) + "  TRACK 02 AUDIO\n    INDEX 01 10:00:00\n");
    EXPECT_EQ(Problem(shortened),
              "its data file \"" + (dir_ / "short.bin").string() + "\" is shorter than its tracks");

    test::WriteFile(dir_ / "unplaced.cue", "FILE \"unplaced.bin\" BINARY\n  TRACK 01 AUDIO\n");
    test::WriteFile(dir_ / "unplaced.bin", std::string(2352 * 10, '\0'));
    EXPECT_EQ(Problem(dir_ / "unplaced.cue"),
              "a track's INDEX lines in the cue sheet cannot be read");

    test::WriteFile(dir_ / "lonely.bin", std::string(2352 * 10, '\0'));
    EXPECT_EQ(Problem(dir_ / "lonely.bin"),
              "its cue sheet \"" + (dir_ / "lonely.cue").string() + "\" is missing");
}

TEST_F(ImageProblemTest, TocFilesNameTheirMissingDataFile)
{
    test::WriteFile(dir_ / "disc.toc", "CD_DA\n\nTRACK AUDIO\nFILE \"sub/audio.bin\" 0 00:01:00\n");
    EXPECT_EQ(Problem(dir_ / "disc.toc"),
              "its data file \"" + (dir_ / "sub" / "audio.bin").string() + "\" is missing");
}

TEST_F(ImageProblemTest, TocFilesWithATrackWithoutModeAreRefused)
{
    test::WriteFile(dir_ / "disc.bin", std::string(2352 * 10, '\0'));
    test::WriteFile(dir_ / "disc.toc", "CD_DA\nTRACK\nFILE \"disc.bin\" 0\n");
    EXPECT_EQ(Problem(dir_ / "disc.toc"), "the TOC file's line 3 cannot be read: TRACK is "
                                          "followed by a track mode such as AUDIO or MODE1, not "
                                          "\"FILE\"");
    test::WriteFile(dir_ / "disc.toc",
                    std::string("CD_DA\nTRACK \0AUDIO\nFILE \"disc.bin\" 0\n", 37));
    EXPECT_EQ(Problem(dir_ / "disc.toc"), "it is not a cue sheet or TOC file");
}

} // namespace
} // namespace corvath
