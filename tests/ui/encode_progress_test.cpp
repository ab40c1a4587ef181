#include "main_window_harness.h"
#include "support/audio_tools.h"
#include "support/run_command.h"
#include "support/stopped_output.h"
#include "ui/encode_progress_dialog.h"
#include "ui/file_choice.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest/QTest>
#include <algorithm>
#include <map>
#include <sstream>

namespace corvath::ui::test {
namespace {

namespace fs = std::filesystem;

// What ffprobe says of a file's first audio stream, its duration and its tags, by key.
std::map<std::string, std::string> Probe(const fs::path& file)
{
    const std::string lines = corvath::test::RunCommand(
        "ffprobe -v error -select_streams a:0 -show_entries "
        "stream=codec_name,sample_rate,channels:format=duration:format_tags:stream_tags "
        "-of default=nw=1 '" +
        file.string() + "'");
    std::map<std::string, std::string> facts;
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = line.substr(0, equals);
        std::ranges::transform(key, key.begin(), [](unsigned char c) { return std::tolower(c); });
        facts[key] = line.substr(equals + 1);
    }
    return facts;
}

double Seconds(const fs::path& file)
{
    const std::string duration = Probe(file)["duration"];
    return duration.empty() ? -1 : std::stod(duration);
}

class EncodeProgressTest : public MainWindowTest {
protected:
    EncodeProgressTest()
    {
        StoreSettings(99); // no drive: the converters do not need one
        fs::create_directory(dir_ / "in");
    }
    ~EncodeProgressTest() override { SetOpenFilesChooser(nullptr); }

    fs::path In(const std::string& name) const { return dir_ / "in" / name; }
    fs::path Out(const std::string& name) const { return fs::path(outputFolder_) / name; }

    // Runs the converter numbered kind on these files; returns once its window has closed.
    void Convert(TfrmMain& window, int kind, const std::vector<fs::path>& files)
    {
        QStringList chosen;
        for (const fs::path& file : files)
            chosen << QString::fromStdString(file.string());
        SetOpenFilesChooser([chosen](QWidget*, const QString&, const QString&) { return chosen; });
        const std::string name = "miConverter" + std::to_string(kind);
        Child<QAction>(window, name.c_str()).trigger();
    }

    // The file came out in the format with the input's duration and the stream's form.
    static void ExpectConverted(const fs::path& input, const fs::path& output, const char* codec,
                                const char* rate, const char* channels)
    {
        SCOPED_TRACE(output.string());
        std::map<std::string, std::string> facts = Probe(output);
        EXPECT_EQ(facts["codec_name"], codec);
        EXPECT_EQ(facts["sample_rate"], rate);
        EXPECT_EQ(facts["channels"], channels);
        EXPECT_NEAR(Seconds(output), Seconds(input), 0.1);
    }

    static void ExpectDiscFields(const fs::path& output)
    {
        std::map<std::string, std::string> facts = Probe(output);
        EXPECT_EQ(facts["tag:artist"], "The Band") << output;
        EXPECT_EQ(facts["tag:album"], "First Album") << output;
    }
};

TEST_F(EncodeProgressTest, EveryConverterWritesFilesOtherPlayersRead)
{
    if (!corvath::test::HaveTool("lame") || !corvath::test::HaveTool("ffprobe"))
        GTEST_SKIP() << "lame makes the MP3 inputs and ffprobe reads the outputs";
    const auto window = Start();
    Child<QLineEdit>(*window, "ID3artist").setText("The Band");
    Child<QLineEdit>(*window, "ID3album").setText("First Album");
    const fs::path stereo =
        corvath::test::Sox(In("stereo.wav"), "-b 16 -c 2 -r 44100", "1.5", "sine 440");
    const fs::path mono =
        corvath::test::Sox(In("mono.wav"), "-b 16 -c 1 -r 22050", "1", "sine 880");
    for (const char* name : {"one", "two"})
        corvath::test::RunCommand("lame --quiet -b 128 --tt 'MP3 Title' --ta 'MP3 Artist' "
                                  "--add-id3v2 '" +
                                  stereo.string() + "' '" +
                                  In(std::string(name) + ".mp3").string() + "'");

    // The MP3 encoder raises 22050 Hz to the lowest rate its bit rate allows; the WMA format of
    // the settings is 44100 Hz stereo; Opus streams are decoded at 48 kHz.
    struct Encoded {
        int kind;
        const char* extension;
        const char* codec;
        const char* monoRate = "22050";
        const char* monoChannels = "1";
        const char* stereoRate = "44100";
    };
    for (const Encoded& encoded : {Encoded{2, ".mp3", "mp3", "32000"},
                                   {3, ".ogg", "vorbis"},
                                   {4, ".wma", "wmav2", "44100", "2"},
                                   {5, ".flac", "flac"},
                                   {6, ".ape", "ape"},
                                   {11, ".opus", "opus", "48000", "1", "48000"}}) {
        SCOPED_TRACE(encoded.kind);
        Convert(*window, encoded.kind, {stereo, mono});
        ExpectConverted(stereo, Out(std::string("stereo") + encoded.extension), encoded.codec,
                        encoded.stereoRate, "2");
        ExpectConverted(mono, Out(std::string("mono") + encoded.extension), encoded.codec,
                        encoded.monoRate, encoded.monoChannels);
        ExpectDiscFields(Out(std::string("mono") + encoded.extension));
    }

    // The WMA files of kind 4, read back by our own reader.
    fs::rename(Out("stereo.wma"), In("stereo.wma"));
    fs::rename(Out("mono.wma"), In("mono.wma"));
    Convert(*window, 8, {In("stereo.wma"), In("mono.wma")});
    ExpectConverted(stereo, Out("stereo.wav"), "pcm_s16le", "44100", "2");
    ExpectConverted(mono, Out("mono.wav"), "pcm_s16le", "44100", "2");
    Convert(*window, 10, {In("stereo.wma")});
    ExpectConverted(stereo, Out("stereo.mp3"), "mp3", "44100", "2");

    Convert(*window, 7, {In("one.mp3"), In("two.mp3")});
    ExpectConverted(stereo, Out("one.wav"), "pcm_s16le", "44100", "2");
    ExpectConverted(stereo, Out("two.wav"), "pcm_s16le", "44100", "2");
    // An MP3 made into WMA keeps its own tags; the disc fields fill what it lacks.
    Convert(*window, 9, {In("one.mp3")});
    ExpectConverted(stereo, Out("one.wma"), "wmav2", "44100", "2");
    std::map<std::string, std::string> facts = Probe(Out("one.wma"));
    EXPECT_EQ(facts["tag:title"], "MP3 Title");
    EXPECT_EQ(facts["tag:artist"], "MP3 Artist");
    EXPECT_EQ(facts["tag:album"], "First Album");
}

TEST_F(EncodeProgressTest, AFileThatFailsIsListedAndTheOthersConvert)
{
    const auto window = Start();
    const fs::path first =
        corvath::test::Sox(In("first.wav"), "-b 16 -c 2 -r 44100", "0.5", "sine 440");
    corvath::test::WriteFile(In("broken.wav"), std::string(3000, '\x5a'));
    const fs::path third =
        corvath::test::Sox(In("third.wav"), "-b 16 -c 2 -r 44100", "0.5", "sine 440");
    MessageBoxAnswers boxes;
    Convert(*window, 5, {first, In("broken.wav"), third});

    EXPECT_TRUE(fs::exists(Out("first.flac")));
    EXPECT_TRUE(fs::exists(Out("third.flac")));
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_TRUE(boxes.texts[0].starts_with("This file was not converted:\n\n" +
                                           In("broken.wav").string() + ": "))
        << boxes.texts[0];
}

TEST_F(EncodeProgressTest, FilesNamedAlikeFromTwoFoldersKeepTheirOwnOutputs)
{
    const auto window = Start();
    fs::create_directory(In("x"));
    fs::create_directory(In("y"));
    const fs::path x =
        corvath::test::Sox(In("x/name.wav"), "-b 16 -c 1 -r 44100", "0.5", "sine 440");
    const fs::path y = corvath::test::Sox(In("y/name.wav"), "-b 16 -c 1 -r 44100", "1", "sine 440");
    Convert(*window, 2, {x, y});

    EXPECT_NEAR(Seconds(Out("name.mp3")), 0.5, 0.1);
    EXPECT_NEAR(Seconds(Out("name (2).mp3")), 1.0, 0.1);
}

TEST_F(EncodeProgressTest, StopDuringTheFirstFileLeavesItPartAndStartsNothingMore)
{
    const auto window = Start();
    const fs::path longer =
        corvath::test::Sox(In("long.wav"), "-b 16 -c 2 -r 44100", "120", "sine 440");
    const fs::path next =
        corvath::test::Sox(In("next.wav"), "-b 16 -c 2 -r 44100", "1", "sine 440");
    bool stopped = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* progress = window->findChild<TfrmEncodeProgress*>();
        if (stopped || !progress || Child<QProgressBar>(*progress, "ProgressBar1").value() < 1)
            return;
        const QString file = QApplication::applicationDirPath() + "/encode_progress_window.png";
        EXPECT_TRUE(progress->grab().save(file)) << file.toStdString();
        EXPECT_EQ(Child<QLabel>(*progress, "lInputFile").text(), "long.wav");
        EXPECT_EQ(Child<QLabel>(*progress, "lOutputFile").text(), "long.mp3");
        EXPECT_EQ(Child<QLabel>(*progress, "lSelectedFiles").text(), "2");
        stopped = true;
        Child<QPushButton>(*progress, "bStop").click();
    });
    watch.start(5);
    Convert(*window, 2, {longer, next});

    ASSERT_TRUE(stopped);
    ASSERT_TRUE(corvath::test::TakeStoppedFile(Out("long.mp3"))) << "left partial";
    const double seconds = Seconds(Out("long.mp3"));
    EXPECT_GT(seconds, 0);
    EXPECT_LT(seconds, 100) << "only part of the first file";
    QTest::qWait(300);
    EXPECT_FALSE(fs::exists(Out("next.mp3")));
}

TEST_F(EncodeProgressTest, TheHiddenWavToWavItemOpensTheWaveConverter)
{
    const auto window = Start();
    auto& item = Child<QAction>(*window, "miConverter1");
    EXPECT_FALSE(item.isVisible());
    QString opened;
    WhenModal([&](QWidget& dialog) {
        opened = dialog.objectName() + " " + dialog.windowTitle();
        dialog.close();
    });
    item.trigger();
    EXPECT_EQ(opened, "frmWavResample Wave Converter");
}

} // namespace
} // namespace corvath::ui::test
