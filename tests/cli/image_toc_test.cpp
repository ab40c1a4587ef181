#include "platform/files/program_folder.h"
#include "support/image_data_files.h"
#include "support/run_command.h"
#include "support/temp_dir.h"
#include "support/test_data.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

// corvath-cli on other projects' cue sheets (tests/data/cue, see its README), with data files of
// the sizes they need written beside them.
namespace corvath {
namespace {

namespace fs = std::filesystem;

class CliImageTest : public ::testing::Test {
protected:
    // The settings files live beside the executable, so the tests run their own copy.
    void SetUp() override { fs::copy_file(ProgramFolder() + "corvath-cli", cli_); }

    fs::path Fixture(const std::string& name, const fs::path& data, uint32_t sectors)
    {
        const fs::path source = test::TestDataPath("cue/" + name);
        const fs::path sheet = dir_ / "disc" / source.filename();
        fs::create_directories(sheet.parent_path());
        fs::copy_file(source, sheet);
        test::WriteSizedDataFile(sheet.parent_path() / data, sectors);
        return sheet;
    }

    std::string Toc(const fs::path& image)
    {
        return test::RunCommand(cli_.string() + " toc --image " + test::Quoted(image));
    }

    // Exit status of a command; what it printed goes to files in the test folder.
    int Status(const std::string& arguments)
    {
        const std::string command = cli_.string() + " " + arguments + " >" +
                                    test::Quoted(dir_ / "stdout") + " 2>" +
                                    test::Quoted(dir_ / "stderr");
        return WEXITSTATUS(std::system(command.c_str()));
    }
    std::string Stderr() const { return test::ReadFile(dir_ / "stderr"); }

    test::TempDir dir_;
    fs::path cli_ = dir_ / "corvath-cli";
};

TEST_F(CliImageTest, TocOfLibcdiosSheetsIsWhatCdInfoShows)
{
    // test/cdda.right: track 1 at 00:02:00, lead-out at 00:06:02, CDDB disc ID 02000401.
    const std::string cdda = Toc(Fixture("libcdio/cdda.cue", "BOING.BIN", 302));
    EXPECT_EQ(cdda.substr(0, cdda.find("MusicBrainz")), "First track: 1\n"
                                                        "Last track: 1\n"
                                                        "Track  Start     Length    Type\n"
                                                        "    1  00:02:00  00:04:02  audio\n"
                                                        "Lead-out: 00:06:02\n"
                                                        "freedb disc id: 02000401\n");

    // test/cdda_4_5.right: tracks 4 and 5 at 00:02:00 and 00:04:00, lead-out at 00:06:02.
    const std::string fourFive = Toc(Fixture("libcdio/cdda_4_5.cue", "cdda_4_5.bin", 302));
    EXPECT_EQ(fourFive.substr(0, fourFive.find("freedb")), "First track: 4\n"
                                                           "Last track: 5\n"
                                                           "Track  Start     Length    Type\n"
                                                           "    4  00:02:00  00:02:00  audio\n"
                                                           "    5  00:04:00  00:02:02  audio\n"
                                                           "Lead-out: 00:06:02\n");
}

TEST_F(CliImageTest, TocOfAUtf16SheetGivesTheDiscIdEacWroteInIt)
{
    // CueSheetNet's UTF-16 sheet of Aqualung says "REM DISCID 970A2F0B", which EAC worked out
    // from the disc: its tracks' starts give the checksum 0x97 and 11 tracks, and a lead-out
    // 2607 seconds after track 1 the 0x0A2F. The file is 195550 sectors long for that.
    const std::string toc =
        Toc(Fixture("cuesheetnet/UTF-16 LE BOM.cue", "Jethro Tull - Aqualung.wav", 195550));
    EXPECT_EQ(toc.substr(0, toc.find("MusicBrainz")), "First track: 1\n"
                                                      "Last track: 11\n"
                                                      "Track  Start     Length    Type\n"
                                                      "    1  00:02:33  06:33:10  audio\n"
                                                      "    2  06:35:43  04:09:60  audio\n"
                                                      "    3  10:45:28  01:23:15  audio\n"
                                                      "    4  12:08:43  03:53:57  audio\n"
                                                      "    5  16:02:25  01:54:50  audio\n"
                                                      "    6  17:57:00  03:15:63  audio\n"
                                                      "    7  21:12:63  07:11:40  audio\n"
                                                      "    8  28:24:28  03:18:10  audio\n"
                                                      "    9  31:42:38  01:13:35  audio\n"
                                                      "   10  32:55:73  04:26:30  audio\n"
                                                      "   11  37:22:28  06:06:72  audio\n"
                                                      "Lead-out: 43:29:25\n"
                                                      "freedb disc id: 970a2f0b\n");
}

// A sheet naming a file outside its folder or one that is not a plain file is refused by toc
// and rip at once, with a message naming the file; nothing is ripped.
TEST_F(CliImageTest, ImagesNamingFilesTheyMayNotReadAreRefused)
{
    const fs::path folder = dir_ / "images";
    fs::create_directories(folder);
    test::WriteSizedRaw(dir_ / "x.bin", 300);
    ASSERT_EQ(::mkfifo((folder / "pipe.bin").c_str(), 0600), 0);
    const std::string track = "\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
    const std::string pipe = fs::weakly_canonical(folder / "pipe.bin").string();
    struct Image {
        std::string name;
        std::string text;
        std::string named; ///< as the message names the file
    };
    const std::vector<Image> images = {
        {"passwd.cue", "FILE \"/etc/passwd\" BINARY" + track, "\"/etc/passwd\""},
        {"up.cue", "FILE \"../x.bin\" BINARY" + track, "\"../x.bin\""},
        {"pipe.cue", "FILE \"pipe.bin\" BINARY" + track, "\"" + pipe + "\""},
        {"passwd.toc", "CD_DA\nTRACK AUDIO\nFILE \"/etc/passwd\" 0\n", "\"/etc/passwd\""},
        {"up.toc", "CD_DA\nTRACK AUDIO\nFILE \"../x.bin\" 0\n", "\"../x.bin\""},
        {"pipe.toc", "CD_DA\nTRACK AUDIO\nFILE \"pipe.bin\" 0\n", "\"" + pipe + "\""}};
    for (const Image& image : images) {
        SCOPED_TRACE(image.name);
        test::WriteFile(folder / image.name, image.text);
        for (const std::string command : {"toc", "rip --format wav"}) {
            SCOPED_TRACE(command);
            EXPECT_NE(Status(command + " --image " + test::Quoted(folder / image.name)), 0);
            EXPECT_NE(Stderr().find("its data file " + image.named), std::string::npos) << Stderr();
        }
    }
    EXPECT_TRUE(!fs::exists(dir_ / "Output") || fs::is_empty(dir_ / "Output"));
}

} // namespace
} // namespace corvath
