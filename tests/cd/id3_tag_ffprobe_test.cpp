// Files tagged by Tid3tag must read back in a real player's demuxer, not only in our tests.
#include "cd/id3_tag.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace corvath {
namespace {

bool Installed(const char* tool)
{
    return std::system((std::string(tool) + " -version >/dev/null 2>&1").c_str()) == 0;
}

using test::Quoted;

TEST(Id3TagFfprobe, ShowsEveryField)
{
    if (!Installed("ffmpeg") || !Installed("ffprobe"))
        GTEST_SKIP() << "ffmpeg and ffprobe are needed to make and read an MP3 file";
    const test::TempDir dir;
    const std::filesystem::path mp3 = dir / "tone.mp3";
    ASSERT_EQ(std::system(("ffmpeg -nostdin -v error -f lavfi -i sine=frequency=440:duration=1 "
                           "-codec:a libmp3lame -write_xing 0 -id3v2_version 0 -write_id3v1 0 "
                           "-map_metadata -1 -fflags +bitexact " +
                           Quoted(mp3))
                              .c_str()),
              0);
    const std::string probe = "ffprobe -v error -show_entries format_tags "
                              "-of default=noprint_wrappers=1 " +
                              Quoted(mp3);
    ASSERT_EQ(test::RunCommand(probe), "") << "ffmpeg wrote a tag of its own";

    Tid3tag tag;
    tag.SetTitle("Tone");
    tag.SetArtist("Oscillator");
    tag.SetAlbum("Test Signals");
    tag.SetYear("2024");
    tag.SetComment("Four forty");
    tag.SetTrack(7);
    tag.SetGenre(17);
    ASSERT_EQ(tag.Write(mp3), 0);

    EXPECT_EQ(test::RunCommand(probe), "TAG:title=Tone\n"
                                       "TAG:artist=Oscillator\n"
                                       "TAG:album=Test Signals\n"
                                       "TAG:date=2024\n"
                                       "TAG:comment=Four forty\n"
                                       "TAG:track=7\n"
                                       "TAG:genre=Rock\n");
}

} // namespace
} // namespace corvath
