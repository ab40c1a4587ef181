// What every output format does with a file it cannot finish: the old file stays when the run
// fails before writing, a half-written file is removed, and the message names the file and the
// system's reason.

#include "app/conversion_chain.h"
#include "codecs/startup_libraries.h"
#include "platform/files/partial_file.h"
#include "support/audio_tools.h"
#include "support/file_size_limit.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

namespace fs = std::filesystem;

class OutputFaults : public test::AudioRunFixture {
protected:
    void SetUp() override
    {
        AudioRunFixture::SetUp();
        if (!test::HaveTool("sox"))
            GTEST_SKIP() << "sox makes the input";
        input_ = test::Sox(dir_ / "in.wav", "-b 16 -c 2 -r 44100", "3", "sine 440").string();
    }

    fs::path Target(OutputFormat format, const std::string& stem) const
    {
        return dir_ / (stem + "." + std::string(InfoOf(format).extension));
    }

    // The run's error, empty for success; a refused Prepare counts as the run's error.
    std::string Convert(OutputFormat format, const fs::path& target)
    {
        ConversionChain chain(format, false, {}, settings_);
        const std::string refused = chain.Prepare(input_, target.string(), {});
        return refused.empty() ? Run(chain.Sink()) : refused;
    }

    StartupCodecLibraries libraries_;
    CodecOptions settings_;
    std::string input_;
};

class OutputFaultsTest : public OutputFaults, public ::testing::WithParamInterface<OutputFormat> {
protected:
    fs::path Target(const std::string& stem) const
    {
        return OutputFaults::Target(GetParam(), stem);
    }
    std::string Convert(const fs::path& target)
    {
        return OutputFaults::Convert(GetParam(), target);
    }
};

TEST_F(OutputFaults, ASetUpTheEncoderRefusesKeepsTheOldFile)
{
    settings_.OggOptions.CompressPosition = -100;
    settings_.WMAOptions.FormatIndex = 9999;
    for (const OutputFormat format : {OutputFormat::OGG, OutputFormat::WMA}) {
        const fs::path target = Target(format, "old");
        test::WriteFile(target, "the old file");
        EXPECT_NE(Convert(format, target), "");
        EXPECT_EQ(test::ReadFile(target), "the old file");
    }
}

// The older file of the name survives a failed run, and nothing of the run stays.
TEST_P(OutputFaultsTest, AFullDiskNamesTheFileAndRemovesWhatWasWritten)
{
    const fs::path target = Target("full");
    test::WriteFile(target, "the old file");
    std::string error;
    {
        const test::FileSizeLimit limit(8 * 1024); // every format wants more for 3 s
        error = Convert(target);
    }
    EXPECT_EQ(error, "Cannot write file " + target.string() + ": File too large");
    EXPECT_EQ(test::ReadFile(target), "the old file");
    EXPECT_FALSE(fs::exists(PartialName(target.string())));
    ASSERT_EQ(Convert(target), "");
    EXPECT_GT(fs::file_size(target), 8 * 1024u);
}

TEST_P(OutputFaultsTest, AFileThatCannotBeMadeIsNamedWithTheReason)
{
    // Tests may run as root, for whom no folder is read-only: a folder in the file's place
    // and an overlong name fail for everyone.
    const fs::path folder = Target("folder");
    fs::create_directory(folder);
    EXPECT_EQ(Convert(folder), "Cannot create file " + folder.string() + ": Is a directory");
    EXPECT_TRUE(fs::is_directory(folder));

    const fs::path overlong = Target(std::string(300, 'x'));
    EXPECT_EQ(Convert(overlong),
              "Cannot create file " + overlong.string() + ": File name too long");
}

// Converting a file into itself would cut the file while it is being read.
TEST_P(OutputFaultsTest, TheFileBeingReadIsNeverTheTarget)
{
    const fs::path same = Target("same");
    fs::copy_file(input_, same);
    ConversionChain chain(GetParam(), false, {}, settings_);
    chain.ReadAs(InputReader::Wave);
    ASSERT_EQ(chain.Prepare(same.string(), same.string(), {}), "");
    EXPECT_EQ(Run(chain.Sink()), "Cannot create file " + same.string() + ": the file is in use");
    EXPECT_EQ(test::ReadFile(same), test::ReadFile(input_));
}

// A file whose tags cannot be written is no finished file: the run fails with the reason and
// the file goes, whichever way its sink writes it.
TEST_P(OutputFaultsTest, AFileWhoseTagsCannotBeWrittenFailsAndGoes)
{
    const fs::path target = Target("untagged");
    ConversionChain chain(GetParam(), false, {}, settings_);
    ASSERT_EQ(chain.Prepare(input_, target.string(), {}), "");
    chain.Sink().SetCompletedFileStep([](const std::string& file) {
        throw std::runtime_error("Cannot write the tags of " + file);
    });
    EXPECT_EQ(Run(chain.Sink()), "Cannot write the tags of " + target.string());
    EXPECT_FALSE(fs::exists(target));
    EXPECT_FALSE(fs::exists(PartialName(target.string())));
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, OutputFaultsTest,
                         ::testing::Values(OutputFormat::WAV, OutputFormat::MP3, OutputFormat::OGG,
                                           OutputFormat::WMA, OutputFormat::FLAC, OutputFormat::APE,
                                           OutputFormat::OPUS),
                         [](const auto& info) { return std::string(InfoOf(info.param).name); });

} // namespace
} // namespace corvath
