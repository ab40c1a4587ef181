#include "platform/files/program_folder.h"
#include "support/audio_tools.h"
#include "support/cli_run.h"
#include "support/disc_image.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace corvath {
namespace {

// The MusicBrainz disc ID as python3's hashlib computes it from the first and last track
// numbers, the lead-out and the tracks' starts, in frames with the lead-in.
std::string HashlibMusicBrainzId(int first, int last, uint32_t leadOut,
                                 const std::vector<uint32_t>& starts)
{
    std::string command =
        "python3 -c 'import base64, hashlib, sys\n"
        "first, last, lead_out, *starts = map(int, sys.argv[1:])\n"
        "slots = [0] * 99\n"
        "slots[first - 1:first - 1 + len(starts)] = starts\n"
        "text = \"%02X%02X%08X\" % (first, last, lead_out) + \"\".join(\"%08X\" % s for s in "
        "slots)\n"
        "digest = base64.b64encode(hashlib.sha1(text.encode()).digest()).decode()\n"
        "print(digest.translate(str.maketrans(\"+/=\", \"._-\")), end=\"\")' ";
    command += std::to_string(first) + ' ' + std::to_string(last) + ' ' + std::to_string(leadOut);
    for (const uint32_t start : starts)
        command += ' ' + std::to_string(start);
    return test::RunCommand(command);
}

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
    // MusicBrainz: the data track lies too close for a second session, so the audio (tracks 1
    // and 2, at 150 and 250) ends where it starts, at 257.
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
              "MusicBrainz disc id: oEfKPuf.0ua08JmJQA785X6fIxE-\n"
              "Windows disc serial: 2105\n"
              "AccurateRip disc: 8/e/0/dBAR-002-000000e8-00000255-08000103.bin\n"
              "Read offset: +0 samples\n");

    EXPECT_EQ(test::RunCommand(cli + " drives --image '" + cue.string() + "'"),
              "0  Image disc.cue  " + cue.string() + "\n");
    const int status = std::system((cli + " toc --drive 3 2>/dev/null").c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1) << "no drive 3 on a machine without drives";
    for (const char* wrong :
         {"toc --drive", "toc --drive x", "toc --drive 0 --image a.cue", "toc --tracks 1"}) {
        const int usage = std::system((cli + " " + wrong + " 2>/dev/null").c_str());
        EXPECT_EQ(WEXITSTATUS(usage), 2) << wrong;
    }
}

// The JSON holds what the text shows, for programs: the identifiers of the disc above and its
// tracks in sectors.
TEST(CliTocTest, JsonHoldsTheIdentifiersAndTheTracks)
{
    if (!test::HaveTool("python3"))
        GTEST_SKIP() << "python3 reads the JSON";
    test::TempDir dir;
    const std::filesystem::path cue =
        test::WriteCueImage(dir / "disc", {{test::AudioSectors(100, 1)},
                                           {test::AudioSectors(7, 2)},
                                           {test::AudioSectors(25, 3), true}});
    const test::CliRun run = test::RunCli("toc --json --image " + test::Quoted(cue));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(
        test::PythonOfJson(
            run.out,
            "print(d['first_track'], d['last_track'], d['lead_out'], d['freedb_disc_id'],\n"
            "      d['musicbrainz_disc_id'], d['windows_disc_serial'], d['accuraterip']['id1'],\n"
            "      d['accuraterip']['id2'], d['accuraterip']['path'], d['hidden_track'])\n"
            "for t in d['tracks']:\n"
            "    print(t['number'], t['start'], t['length'], t['type'], t.get('pregap', '-'))\n"),
        "1 3 132 08000103 oEfKPuf.0ua08JmJQA785X6fIxE- 2105 000000e8 00000255 "
        "8/e/0/dBAR-002-000000e8-00000255-08000103.bin False\n"
        "1 0 100 audio 0\n"
        "2 100 7 audio -\n"
        "3 107 25 data -\n")
        << run.out;
}

TEST(CliTocTest, MusicBrainzIdOfAnImageAgreesWithHashlib)
{
    if (!test::HaveTool("python3"))
        GTEST_SKIP() << "python3 is the oracle";
    test::TempDir dir;
    const std::string cli = ProgramFolder() + "corvath-cli";

    // Tracks numbered from 2 after 30 hidden sectors: track 2 at sector 30, track 3's pre-gap at
    // 70 and its start at 75, track 4 at 87, the lead-out at 107; 150 more each with the lead-in.
    const std::filesystem::path cue = test::WriteCueImage(dir / "disc",
                                                          {{test::AudioSectors(40, 1)},
                                                           {test::AudioSectors(17, 2), false, 5},
                                                           {test::AudioSectors(20, 3)}},
                                                          30, 2);
    const std::string expected = HashlibMusicBrainzId(2, 4, 257, {180, 225, 237});
    ASSERT_EQ(expected.size(), 28u);
    const std::string toc = test::RunCommand(cli + " toc --image '" + cue.string() + "'");
    EXPECT_NE(toc.find("\nMusicBrainz disc id: " + expected + "\n"), std::string::npos) << toc;

    const std::filesystem::path data =
        test::WriteCueImage(dir / "data", {{test::AudioSectors(20, 4), true}});
    const std::string dataToc = test::RunCommand(cli + " toc --image '" + data.string() + "'");
    EXPECT_NE(dataToc.find("\nMusicBrainz disc id: none\n"), std::string::npos) << dataToc;
}

} // namespace
} // namespace corvath
