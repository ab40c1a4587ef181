#include "app/convert_batch.h"
#include "codecs/lame_library.h"
#include "codecs/startup_libraries.h"
#include "support/audio_tools.h"
#include "support/fake_components.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

namespace fs = std::filesystem;

// Everything a batch shows, as lines; progress is left out.
class RecordingView : public ConvertView {
public:
    void ShowFile(const std::string& input, const std::string& output, int32_t count) override
    {
        lines.push_back("file " + fs::path(input).filename().string() + " -> " +
                        fs::path(output).filename().string() + " after " + std::to_string(count));
    }
    void ShowProgress(int32_t) override {}
    void ShowConverted(const std::string& output) override
    {
        lines.push_back("converted " + fs::path(output).filename().string());
    }
    void ShowFailed(const FailedFile& failure) override
    {
        lines.push_back("failed " + fs::path(failure.input).filename().string());
    }
    void ShowFailures(const std::vector<FailedFile>& failures) override
    {
        lines.push_back("list of " + std::to_string(failures.size()));
    }
    void Close() override { closed = true; }

    std::vector<std::string> lines;
    bool closed = false;
};

class ConvertBatchTest : public test::MainThreadFixture {
protected:
    void Convert(std::vector<std::string> inputs, OutputFormat format)
    {
        ConvertJob job;
        job.inputs = std::move(inputs);
        job.format = format;
        job.outputFolder = dir_.path().string();
        ConvertBatch batch(view_, std::move(job), settings_);
        batch.Start();
        ASSERT_TRUE(PumpUntil([&] { return view_.closed; }));
    }

    const StartupCodecLibraries libraries_;
    test::TempDir dir_;
    TOptionsSetting settings_;
    RecordingView view_;
};

TEST(ConversionKinds, TheConverterCommandsReadAndWriteTheirFormats)
{
    EXPECT_FALSE(ConversionOfKind(1));
    EXPECT_FALSE(ConversionOfKind(11));
    const auto mp3ToWma = ConversionOfKind(9);
    ASSERT_TRUE(mp3ToWma);
    EXPECT_EQ(mp3ToWma->reader, InputReader::Mp3);
    EXPECT_EQ(mp3ToWma->format, OutputFormat::WMA);
    EXPECT_EQ(ConversionOfKind(8)->reader, InputReader::Wma);
    EXPECT_EQ(ConversionOfKind(6)->format, OutputFormat::APE);
}

TEST_F(ConvertBatchTest, AFileThatCannotStartIsReportedAndTheNextGoes)
{
    const fs::path tone = test::Sox(dir_ / "tone.wav", "-b 16 -c 1 -r 8000", "0.2", "sine 440");
    Convert({(dir_ / "missing.wav").string(), tone.string(), tone.string()}, OutputFormat::FLAC);
    EXPECT_EQ(view_.lines, (std::vector<std::string>{
                               "file missing.wav -> missing.flac after 0", "failed missing.wav",
                               "file tone.wav -> tone.flac after 1", "converted tone.flac",
                               "file tone.wav -> tone (2).flac after 2", "converted tone (2).flac",
                               "list of 1"}));
}

TEST_F(ConvertBatchTest, AnEncoderThatCannotBeMadeFailsEveryFile)
{
    LameLibrary().SetFileName("libmissing-lame.so.0");
    Convert({"a.wav", "b.wav"}, OutputFormat::MP3);
    LameLibrary().SetFileName("libmp3lame.so.0");
    EXPECT_EQ(view_.lines, (std::vector<std::string>{"failed a.wav", "failed b.wav", "list of 2"}));
}

} // namespace
} // namespace corvath
