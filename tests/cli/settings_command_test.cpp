#include "platform/files/program_folder.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace corvath {
namespace {

// The settings files live beside the executable, so each test runs its own copy of the
// program in a folder of its own.
class CliSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Test programs are built beside corvath-cli.
        std::filesystem::copy_file(ProgramFolder() + "corvath-cli", cli_);
    }
    test::TempDir dir_;
    std::filesystem::path cli_ = dir_ / "corvath-cli";
};

TEST_F(CliSettingsTest, WithoutSettingsFilePrintsTheDefaultsBesideTheProgram)
{
    const std::string output = test::RunCommand(cli_.string() + " settings");
    const std::string folder = dir_.path().string();
    EXPECT_TRUE(output.starts_with("options.ini: " + folder +
                                   "/options.ini\n"
                                   "cd.dat: " +
                                   folder +
                                   "/cd.dat\n"
                                   "CommonOptions/OutputFolder=" +
                                   folder +
                                   "/Output\n"
                                   "CommonOptions/OutputFormat=0\n"))
        << output;
    for (const char* line :
         {"OggOptions/CompressPosition=30\n", "APEOptions/Compression=2000\n",
          "WMAOptions/FormatIndex=29\n", "CDOptions/Index=-1\n",
          "QueryCDDB/Server=gnudb.gnudb.org\n", "QueryCDDB/Port=80\n", "QueryCDDB/Email=\n"})
        EXPECT_NE(output.find(line), std::string::npos) << line;
    EXPECT_TRUE(output.ends_with("MainWindow/LengthColumnWidth=100\nRip/ReadOffset=0\n"
                                 "Rip/SecureReads=0\nRip/VerifyAccurateRip=1\n"
                                 "Rip/AccurateRipServer=http://www.accuraterip.com/accuraterip\n"
                                 "Rip/WriteLog=1\nRip/WriteCueSheet=1\nRip/CloseWhenDone=0\n"
                                 "MusicBrainz/Server=https://musicbrainz.org\n"
                                 "MusicBrainz/CoverArt=1\n"
                                 "MusicBrainz/CoverArtServer=https://coverartarchive.org\n"))
        << output;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "options.ini")) << "printing must not write";
}

TEST_F(CliSettingsTest, PrintsStoredValues)
{
    test::WriteFile(dir_ / "options.ini",
                    "[OggOptions]\nCompressPosition=500\n[QueryCDDB]\nPort=8080\n");
    const std::string output = test::RunCommand(cli_.string() + " settings");
    EXPECT_NE(output.find("OggOptions/CompressPosition=100\n"), std::string::npos);
    EXPECT_NE(output.find("QueryCDDB/Port=8080\n"), std::string::npos);
}

TEST_F(CliSettingsTest, ASettingsFileThatCannotBeReadIsNamed)
{
    std::filesystem::create_directory(dir_ / "options.ini");
    const std::string output = test::RunCommand(cli_.string() + " settings 2>&1");
    EXPECT_NE(output.find("corvath-cli: Cannot read " + (dir_ / "options.ini").string() +
                          ": it is a folder; the default settings are used\n"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("Mp3Options/BitRate=128\n"), std::string::npos) << output;
}

TEST_F(CliSettingsTest, VersionHelpAndUnknownCommands)
{
    EXPECT_TRUE(test::RunCommand(cli_.string() + " --version").starts_with("corvath-cli "));
    EXPECT_NE(test::RunCommand(cli_.string() + " --help").find("settings"), std::string::npos);
    EXPECT_NE(std::system((cli_.string() + " frobnicate 2>/dev/null").c_str()), 0);
}

} // namespace
} // namespace corvath
