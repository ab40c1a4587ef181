#include "app/convert_batch.h"
#include "codecs/mp3/lame_library.h"
#include "codecs/startup_libraries.h"
#include "platform/acm/ffmpeg_library.h"
#include "support/audio_tools.h"
#include "support/fake_components.h"
#include "support/riff_bytes.h"
#include "support/run_command.h"
#include "support/tagged_files.h"
#include "support/temp_dir.h"
#include "tags/file_tag_reader.h"

#include <algorithm>
#include <cmath>
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
        running.push_back(input);
    }
    void ShowProgress(const std::string& input, int32_t) override
    {
        progressOfOther += std::ranges::count(running, input) == 0 ? 1 : 0;
    }
    void ShowConverted(const std::string& input, const std::string& output) override
    {
        lines.push_back("converted " + fs::path(output).filename().string());
        std::erase(running, input);
    }
    void ShowEndedEarly(const std::string& input, const EarlyEnd& early) override
    {
        lines.push_back("ended early " + fs::path(input).filename().string() + " at " +
                        std::to_string(std::lround(early.arrivedSeconds * 10)) + " of " +
                        std::to_string(std::lround(early.announcedSeconds * 10)) + " tenths");
    }
    void ShowFailed(const FailedFile& failure) override
    {
        lines.push_back("failed " + fs::path(failure.input).filename().string());
        std::erase(running, failure.input);
    }
    void ShowFailures(const std::vector<FailedFile>& failures) override
    {
        lines.push_back("list of " + std::to_string(failures.size()));
        failed = failures;
    }
    void Close() override { closed = true; }

    std::vector<std::string> lines;
    std::vector<FailedFile> failed;
    bool closed = false;
    std::vector<std::string> running; // started, neither converted nor failed yet
    int progressOfOther = 0;          // progress told of a file not running
};

class ConvertBatchTest : public test::MainThreadFixture {
protected:
    void Convert(std::vector<std::string> inputs, OutputFormat format, int parallel = 1)
    {
        ConvertJob job;
        job.inputs = std::move(inputs);
        job.format = format;
        job.parallel = parallel;
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
    EXPECT_FALSE(ConversionOfKind(12));
    EXPECT_EQ(ConversionOfKind(11)->format, OutputFormat::OPUS);
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

// Several at once: every file is started once and ends once, progress is told only of files
// under way, and the failures come last; no more files run at once than asked.
TEST_F(ConvertBatchTest, SeveralAtOnceTellEachFilesStartAndEnd)
{
    std::vector<std::string> inputs;
    for (int i = 0; i < 5; ++i) {
        inputs.push_back(test::Sox(dir_ / ("tone" + std::to_string(i) + ".wav"),
                                   "-b 16 -c 2 -r 44100", std::to_string(1.0 - 0.15 * i),
                                   "sine " + std::to_string(300 + 100 * i))
                             .string());
    }
    inputs.insert(inputs.begin() + 1, (dir_ / "missing.wav").string());
    inputs.push_back(inputs[0]);
    Convert(inputs, OutputFormat::FLAC, 3);

    EXPECT_EQ(view_.progressOfOther, 0);
    EXPECT_TRUE(view_.running.empty());
    ASSERT_EQ(view_.lines.back(), "list of 1");
    ASSERT_EQ(view_.failed.size(), 1u);
    EXPECT_EQ(view_.failed[0].input, inputs[1]);
    std::vector<std::string> ends;
    for (const std::string& line : view_.lines) {
        if (!line.starts_with("file "))
            ends.push_back(line);
    }
    std::ranges::sort(ends);
    EXPECT_EQ(ends, (std::vector<std::string>{"converted tone0 (2).flac", "converted tone0.flac",
                                              "converted tone1.flac", "converted tone2.flac",
                                              "converted tone3.flac", "converted tone4.flac",
                                              "failed missing.wav", "list of 1"}));
    // The files start in order; the count done never lets more than three run.
    int started = 0;
    for (const std::string& line : view_.lines) {
        if (!line.starts_with("file "))
            continue;
        const int done = std::stoi(line.substr(line.rfind(' ') + 1));
        EXPECT_GE(done, started - 2) << line;
        ++started;
    }
    EXPECT_EQ(started, 7);
    EXPECT_EQ(test::SoxDecode(dir_ / "tone0 (2).flac"), test::SoxDecode(inputs[0]));
}

TEST_F(ConvertBatchTest, AnEncoderThatCannotBeMadeFailsEveryFile)
{
    LameLibrary().SetFileName("libmissing-lame.so.0");
    Convert({"a.wav", "b.wav"}, OutputFormat::MP3);
    LameLibrary().SetFileName("libmp3lame.so.0");
    EXPECT_EQ(view_.lines, (std::vector<std::string>{"failed a.wav", "failed b.wav", "list of 2"}));
}

// A 16-bit PCM WAV file whose header claims this rate and channel count, with a few bytes of
// sound.
void WriteClaimingWave(const fs::path& file, uint32_t rate, uint16_t channels)
{
    const uint16_t align = static_cast<uint16_t>(channels * 2u);
    test::WriteFile(file, "RIFF" + test::Le32(36 + 64) + "WAVE" +
                              test::Chunk("fmt ", test::FmtBody(1, channels, rate, align, 16)) +
                              test::Chunk("data", std::string(64, '\1')));
}

// A file holding less sound than its header announces converts, and the view is told how much
// came; a whole file gets no such word.
TEST_F(ConvertBatchTest, AFileEndingEarlyIsToldAfterItConverted)
{
    const std::string header = "RIFF" + test::Le32(36 + 16000) + "WAVE" +
                               test::Chunk("fmt ", test::FmtBody(1, 1, 8000, 2, 16)) + "data";
    test::WriteFile(dir_ / "cut.wav", header + test::Le32(32000) + std::string(16000, '\1'));
    test::WriteFile(dir_ / "whole.wav", header + test::Le32(16000) + std::string(16000, '\1'));
    Convert({(dir_ / "cut.wav").string(), (dir_ / "whole.wav").string()}, OutputFormat::FLAC);
    EXPECT_EQ(view_.lines, (std::vector<std::string>{
                               "file cut.wav -> cut.flac after 0", "converted cut.flac",
                               "ended early cut.wav at 10 of 20 tenths",
                               "file whole.wav -> whole.flac after 1", "converted whole.flac"}));
}

// Rates and channel counts no encoder can take are refused before any output is made; an
// output of that name from before stays as it was.
TEST_F(ConvertBatchTest, ImpossibleRatesAndChannelCountsAreRefused)
{
    WriteClaimingWave(dir_ / "huge rate.wav", 0xFFFFFFFFu, 2);
    WriteClaimingWave(dir_ / "no rate.wav", 0, 2);
    WriteClaimingWave(dir_ / "many channels.wav", 44100, 65535);
    for (const OutputFormat format : {OutputFormat::WMA, OutputFormat::APE, OutputFormat::FLAC}) {
        view_ = {};
        const std::string extension = format == OutputFormat::WMA   ? ".wma"
                                      : format == OutputFormat::APE ? ".ape"
                                                                    : ".flac";
        test::WriteFile(dir_ / ("no rate" + extension), "kept");
        Convert({(dir_ / "huge rate.wav").string(), (dir_ / "no rate.wav").string(),
                 (dir_ / "many channels.wav").string()},
                format);
        ASSERT_EQ(view_.failed.size(), 3u) << extension;
        EXPECT_EQ(view_.failed[0].reason,
                  "its sample rate of 4294967295 Hz is outside 1 Hz to 768 kHz");
        EXPECT_EQ(view_.failed[1].reason, "its sample rate of 0 Hz is outside 1 Hz to 768 kHz");
        EXPECT_EQ(view_.failed[2].reason, "it has 65535 channels; 1 to 8 can be converted");
        EXPECT_EQ(test::ReadFile(dir_ / ("no rate" + extension)), "kept") << extension;
        EXPECT_FALSE(fs::exists(dir_ / ("huge rate" + extension))) << extension;
    }
}

// Without FFmpeg, WMA files fail with the library's name and nothing is left behind; FFmpeg is
// opened again at the next use once it is there.
TEST_F(ConvertBatchTest, WmaWithoutFfmpegFailsNamingTheLibrary)
{
    WriteClaimingWave(dir_ / "a.wav", 44100, 2);
    const std::string ffmpeg = FfmpegLibrary().FileName();
    FfmpegLibrary().Unload();
    FfmpegLibrary().SetFileName("libmissing-avformat.so.59");
    Convert({(dir_ / "a.wav").string()}, OutputFormat::WMA);
    FfmpegLibrary().SetFileName(ffmpeg);
    ASSERT_EQ(view_.failed.size(), 1u);
    EXPECT_EQ(view_.failed[0].reason, "libmissing-avformat.so.59 library could not be loaded.");
    EXPECT_FALSE(fs::exists(dir_ / "a.wma"));

    view_ = {};
    Convert({(dir_ / "a.wav").string()}, OutputFormat::WMA);
    EXPECT_TRUE(view_.failed.empty());
    EXPECT_TRUE(fs::exists(dir_ / "a.wma"));
}

// A rate so low that 80 ms hold no frame still moves on: the batch ends, whatever the encoder
// makes of it.
TEST_F(ConvertBatchTest, AVeryLowRateEnds)
{
    WriteClaimingWave(dir_ / "one hertz.wav", 1, 1);
    WriteClaimingWave(dir_ / "twelve hertz.wav", 12, 1);
    for (const OutputFormat format : {OutputFormat::WMA, OutputFormat::FLAC, OutputFormat::OGG}) {
        view_ = {};
        Convert({(dir_ / "one hertz.wav").string(), (dir_ / "twelve hertz.wav").string()}, format);
        EXPECT_TRUE(view_.closed);
    }
}

// A converted file keeps its input's own tags; the disc fields fill only what they lack, and an
// untagged input is titled by its name.
TEST_F(ConvertBatchTest, TheInputsOwnTagsGoWithItAndTheDiscFieldsFillTheGaps)
{
    if (!test::HaveTool("lame") || !test::HaveTool("ffmpeg") || !test::HaveTool("sox"))
        GTEST_SKIP() << "lame, ffmpeg and sox make the inputs";
    const fs::path wav = test::Sox(dir_ / "take 3.wav", "-b 16 -c 2 -r 44100", "1", "sine 440");
    const fs::path mp3 = dir_ / "song.mp3";
    test::RunCommand("lame --quiet --id3v2-only --tt Song --tn 7/9 --tc 'own comment' " +
                     test::Quoted(wav) + " " + test::Quoted(mp3));
    const fs::path info =
        test::FfmpegTone(dir_ / "info.wav", "-c:a pcm_s16le -metadata title='From INFO'");
    const TDiscFields disc{"Disc Artist", "Disc Album", "2001", 0, "disc comment"};

    for (const OutputFormat format :
         {OutputFormat::FLAC, OutputFormat::OGG, OutputFormat::OPUS, OutputFormat::WMA}) {
        const std::string extension(InfoOf(format).extension);
        SCOPED_TRACE(extension);
        const fs::path out = dir_ / extension;
        fs::create_directory(out);
        view_ = RecordingView{};
        ConvertJob job;
        job.inputs = {mp3.string(), wav.string(), info.string()};
        job.format = format;
        job.outputFolder = out.string();
        job.disc = disc;
        ConvertBatch batch(view_, std::move(job), settings_);
        batch.Start();
        ASSERT_TRUE(PumpUntil([&] { return view_.closed; }));
        ASSERT_TRUE(view_.failed.empty()) << view_.failed.front().reason;

        const TrackRecord song = ReadFileTags((out / ("song." + extension)).string());
        EXPECT_EQ(song.title, "Song");
        EXPECT_EQ(song.trackNumber, 7);
        EXPECT_EQ(song.comment, "own comment");
        EXPECT_EQ(song.artist, "Disc Artist");
        EXPECT_EQ(song.album, "Disc Album");
        const TrackRecord take = ReadFileTags((out / ("take 3." + extension)).string());
        EXPECT_EQ(take.title, "take 3");
        EXPECT_EQ(take.comment, "disc comment") << "a comment, never the title";
        EXPECT_EQ(take.trackNumber, 0);
        EXPECT_EQ(ReadFileTags((out / ("info." + extension)).string()).title, "From INFO");
    }
}

} // namespace
} // namespace corvath
