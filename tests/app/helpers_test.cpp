#include "app/output_naming.h"
#include "app/rip_helpers.h"
#include "platform/files/file_share.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

TEST(OutputNaming, TwoDigitsPadsOnlySmallNumbers)
{
    EXPECT_EQ(TwoDigits(7), "07");
    EXPECT_EQ(TwoDigits(0), "00");
    EXPECT_EQ(TwoDigits(12), "12");
    EXPECT_EQ(TwoDigits(100), "100");
    EXPECT_EQ(TwoDigits(-1), "0-1");
}

TEST(OutputNaming, TrailingDelimiterAndFormatNames)
{
    EXPECT_EQ(IncludeTrailingBackslash("/music"), "/music/");
    EXPECT_EQ(IncludeTrailingBackslash("/music/"), "/music/");
    EXPECT_EQ(IncludeTrailingBackslash(""), "");
    EXPECT_EQ(OutputFormatName(0), "MP3");
    EXPECT_EQ(OutputFormatName(4), "FLAC");
    EXPECT_EQ(OutputFormatName(5), "APE");
    EXPECT_EQ(OutputFormatName(6), "OPUS");
    EXPECT_EQ(OutputFormatName(7), "");
    EXPECT_EQ(OutputFormatName(-1), "");
}

TEST(RipHelpers, FileInUseFollowsTheProgramsOwnOpens)
{
    test::TempDir dir;
    const auto file = dir / "01Intro.wav";
    EXPECT_FALSE(IsFileInUse(file)); // missing
    test::WriteFile(file, "RIFF");
    EXPECT_FALSE(IsFileInUse(file));
    {
        auto reader = FileShareLock::Acquire(file, {.read = true, .othersMayRead = true});
        ASSERT_TRUE(reader);
        EXPECT_TRUE(IsFileInUse(file));
    }
    EXPECT_FALSE(IsFileInUse(file));
    // Asking does not itself leave the file held.
    EXPECT_TRUE(FileShareLock::Acquire(file, {.read = true, .write = true}));
}

} // namespace
} // namespace corvath
