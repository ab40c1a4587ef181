#include "platform/files/program_folder.h"
#include "support/disc_image.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace corvath {
namespace {

TEST(CliTocTest, ImageTocWithIdentifiersAndMissingDrive)
{
    test::TempDir dir;
    const std::filesystem::path cue =
        test::WriteCueImage(dir / "disc", {{test::AudioSectors(100, 1)},
                                           {test::AudioSectors(7, 2)},
                                           {test::AudioSectors(25, 3), true}});
    const std::string cli = ProgramFolder() + "corvath-cli"; // test programs are built beside it

    // freedb: seconds 2, 3 and 3 sum to 8; 282 / 75 - 150 / 75 = 1 second; 3 tracks.
    // Windows serial: 0x000200 + 0x000319 + 0x000320.
    // AccurateRip: audio tracks at sectors 0 and 100, the data track's lead-out at 132: the first
    // sum is 232, the second 1 + 2 x 100 + 3 x 132 = 597.
    EXPECT_EQ(test::RunCommand(cli + " toc --image '" + cue.string() + "'"),
              "First track: 1\n"
              "Last track: 3\n"
              "Track  Start     Length    Type\n"
              "    1  00:02:00  00:01:25  audio\n"
              "    2  00:03:25  00:00:07  audio\n"
              "    3  00:03:32  00:00:25  data\n"
              "Lead-out: 00:03:57\n"
              "freedb disc id: 08000103\n"
              "Windows disc serial: 2105\n"
              "AccurateRip disc: 8/e/0/dBAR-002-000000e8-00000255-08000103.bin\n"
              "Read offset: +0 samples\n");

    EXPECT_EQ(test::RunCommand(cli + " drives --image '" + cue.string() + "'"),
              "0  Image disc.cue  " + cue.string() + "\n");
    const int status = std::system((cli + " toc --drive 3 2>/dev/null").c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1) << "no drive 3 on a machine without drives";
}

} // namespace
} // namespace corvath
