#include "app/options_store.h"
#include "app/settings_keys.h"
#include "platform/profile/profile_file.h"
#include "support/temp_dir.h"
#include "support/utf16_text.h"

#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace corvath {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class OptionsStoreTest : public ::testing::Test {
protected:
    TempDir dir_;
    SettingsLocation location_ = SettingsLocation::InFolder(dir_.path());
};

TEST_F(OptionsStoreTest, MissingFileGivesTheDefaults)
{
    TOptionsSetting options;
    options.CommonOptions.OutputFormat = 4;
    EXPECT_EQ(LoadOptions(options, location_), "");
    EXPECT_EQ(options.CommonOptions.OutputFolder, (dir_ / "Output").string());
    EXPECT_EQ(options.CommonOptions.OutputFormat, 0);
    EXPECT_EQ(options.OggOptions.CompressPosition, 30);
    EXPECT_EQ(options.APEOptions.Compression, 2000);
    EXPECT_EQ(options.WMAOptions.FormatIndex, 29);
    EXPECT_EQ(options.CDOptions.Index, -1);
    EXPECT_EQ(options.QueryCDDB.Server, "gnudb.gnudb.org");
    EXPECT_TRUE(options.OggOptions.IsUseCompress);
}

TEST_F(OptionsStoreTest, SaveWritesEveryKeyInTableOrder)
{
    WriteFile(location_.optionsFile, "; kept\n[Unrelated]\nx=1\n");
    TOptionsSetting options;
    EXPECT_EQ(LoadOptions(options, location_), "");
    SaveOptions(options, location_);

    std::ostringstream expected;
    expected << "; kept\n[Unrelated]\nx=1\n";
    std::string_view section;
    for (const SettingKey& entry : SettingKeys()) {
        if (entry.section != section) {
            expected << "\n[" << entry.section << "]\n";
            section = entry.section;
        }
        expected << entry.key << '=' << entry.ValueText(options) << '\n';
    }
    EXPECT_EQ(ReadFile(location_.optionsFile), expected.str());
    EXPECT_EQ(SettingKeys().size(), 58u);
}

TEST_F(OptionsStoreTest, StoredValuesAreReadWithTheirRulesAndWrittenBackCleaned)
{
    WriteFile(location_.optionsFile, "[OggOptions]\nCompressPosition=10\n"
                                     "[CommonOptions]\nIsKeepWav=2\nOutputFolder=/srv/music\n"
                                     "[Mp3Options]\nBitRate=fast\nCPU=$2\n");
    TOptionsSetting options;
    EXPECT_EQ(LoadOptions(options, location_), "");
    EXPECT_EQ(options.OggOptions.CompressPosition, 30);
    EXPECT_TRUE(options.CommonOptions.IsKeepWav);
    EXPECT_EQ(options.Mp3Options.BitRate, 128);
    EXPECT_EQ(options.Mp3Options.CPU, 2);
    EXPECT_EQ(options.CommonOptions.OutputFolder, "/srv/music");

    SaveOptions(options, location_);
    const auto saved = LoadProfile(location_.optionsFile);
    EXPECT_EQ(saved.ReadString("OggOptions", "CompressPosition", ""), "30");
    EXPECT_EQ(saved.ReadString("CommonOptions", "IsKeepWav", ""), "1");
    EXPECT_EQ(saved.ReadString("Mp3Options", "BitRate", ""), "128");

    WriteFile(location_.optionsFile, "[OggOptions]\nCompressPosition=250\n"
                                     "[OpusOptions]\nBitRate=2\nComplexity=11\n");
    EXPECT_EQ(LoadOptions(options, location_), "");
    EXPECT_EQ(options.OggOptions.CompressPosition, 100);
    EXPECT_EQ(options.OpusOptions.BitRate, 6);
    EXPECT_EQ(options.OpusOptions.Complexity, 10);

    // A column that could not be seen, or a window size below nothing, is read as usable; so is
    // a count of files at once beyond what a batch runs.
    WriteFile(location_.optionsFile, "[MainWindow]\nWidth=-5\nNumberColumnWidth=0\n"
                                     "[CommonOptions]\nFilesAtOnce=900\n");
    EXPECT_EQ(LoadOptions(options, location_), "");
    EXPECT_EQ(options.MainWindow.Width, 0);
    EXPECT_EQ(options.MainWindow.NumberColumn, 20);
    EXPECT_EQ(options.CommonOptions.FilesAtOnce, 256);
}

TEST_F(OptionsStoreTest, ARoundTripKeepsEveryValue)
{
    TOptionsSetting changed;
    changed.CommonOptions.OutputFolder = "/home/ana/Música/CD rips";
    changed.CommonOptions.OutputFormat = 4;
    changed.CommonOptions.FilesAtOnce = 3;
    changed.Mp3Options.IsSelectVBR = true;
    changed.Mp3Options.VBRQuality = 0;
    changed.WMAOptions.FormatIndex = 3;
    changed.CDOptions.Index = 2;
    changed.QueryCDDB.ProxyAddress = "proxy.local";
    changed.QueryCDDB.Port = "3128";
    changed.MainWindow = {-1200, 40, 900, 640, true, 50, 120, 140};
    SaveOptions(changed, location_);

    TOptionsSetting loaded;
    EXPECT_EQ(LoadOptions(loaded, location_), "");
    for (const SettingKey& entry : SettingKeys())
        EXPECT_EQ(entry.ValueText(loaded), entry.ValueText(changed))
            << entry.section << '/' << entry.key;
}

TEST_F(OptionsStoreTest, RefusedSaveReportsTheFile)
{
    WriteFile(dir_ / "blocker", "");
    const auto location = SettingsLocation::InFolder(dir_ / "blocker");
    try {
        SaveOptions(TOptionsSetting{}, location);
        FAIL() << "the write should have been refused";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + location.optionsFile.string());
    }
}

TEST_F(OptionsStoreTest, GarbageFilesNeverLoseTheDefaults)
{
    using namespace std::string_literals;
    const std::string garbage[] = {
        "\1\2\x7f[CommonOptions\n=\n[]\n[CommonOptions]\nOutputFormat\n"s,
        "[CommonOptions]\nOutputFormat=3\nOutputFormat=5\n[commonoptions]\nOutputFormat=1"s,
        "[Mp3Options]\r\nBitRate=  256  \r\n[Mp3Options]\r\nBitRate=64\r\n"s,
    };
    const int expectedFormat[] = {0, 3, 0};
    const int expectedBitRate[] = {128, 128, 256};
    for (std::size_t i = 0; i < std::size(garbage); ++i) {
        WriteFile(location_.optionsFile, garbage[i]);
        TOptionsSetting options;
        EXPECT_EQ(LoadOptions(options, location_), "");
        EXPECT_EQ(options.CommonOptions.OutputFormat, expectedFormat[i]) << i;
        EXPECT_EQ(options.Mp3Options.BitRate, expectedBitRate[i]) << i;
        EXPECT_NO_THROW(SaveOptions(options, location_));
    }
}

// A settings file that is there but cannot be read is named with the reason, the defaults are
// used, and nothing is written over it: what the user set comes back once it reads again.
TEST_F(OptionsStoreTest, AFileThatCannotBeReadIsNamedAndKept)
{
    const std::string binary = test::Utf16LittleEndian("[Mp3Options]\r\nBitRate=320\r\n");
    WriteFile(location_.optionsFile, binary);
    TOptionsSetting options;
    EXPECT_EQ(LoadOptions(options, location_),
              "Cannot read " + location_.optionsFile.string() + ": it is not a text settings file");
    EXPECT_EQ(options.Mp3Options.BitRate, 128);
    EXPECT_THROW(SaveOptions(options, location_), std::runtime_error);
    EXPECT_EQ(ReadFile(location_.optionsFile), binary);

    std::filesystem::remove(location_.optionsFile);
    std::filesystem::create_directory(location_.optionsFile);
    EXPECT_EQ(LoadOptions(options, location_),
              "Cannot read " + location_.optionsFile.string() + ": it is a folder");
    EXPECT_THROW(SaveOptions(options, location_), std::runtime_error);

    // A pipe is never waited on.
    std::filesystem::remove(location_.optionsFile);
    ASSERT_EQ(::mkfifo(location_.optionsFile.c_str(), 0600), 0);
    EXPECT_EQ(LoadOptions(options, location_),
              "Cannot read " + location_.optionsFile.string() + ": it is not a regular file");
    EXPECT_THROW(SaveOptions(options, location_), std::runtime_error);
    EXPECT_TRUE(std::filesystem::is_fifo(location_.optionsFile));
}

} // namespace
} // namespace corvath
