#include "main_window_harness.h"
#include "support/audio_tools.h"
#include "support/run_command.h"
#include "support/stopped_output.h"
#include "ui/encode_progress_dialog.h"
#include "ui/file_choice.h"
#include "ui/files_under_way.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest/QTest>
#include <algorithm>
#include <chrono>
#include <map>
#include <sstream>
#include <thread>

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

// A screen reader reads a value label as its caption, through the buddy relation, then its text.
void ExpectReadAsCaptionAndValue(QLabel& value, const QString& caption, const QString& text)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&value);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), text);
    const auto labels = accessible->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.front().first->text(QAccessible::Name), caption);
}

TEST_F(EncodeProgressTest, StopDuringTheFirstFileLeavesItPartAndStartsNothingMore)
{
    const auto window = Start();
    OptionsSetting.CommonOptions.FilesAtOnce = 1;
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
        ExpectReadAsCaptionAndValue(Child<QLabel>(*progress, "lInputFile"),
                                    "Current Input File:", "long.wav");
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

TEST_F(EncodeProgressTest, StopWithSeveralFilesUnderWayLeavesEachPartAndStartsNothingMore)
{
    const auto window = Start();
    OptionsSetting.CommonOptions.FilesAtOnce = 2;
    std::vector<fs::path> files;
    for (const char* name : {"a.wav", "b.wav", "c.wav"})
        files.push_back(corvath::test::Sox(In(name), "-b 16 -c 2 -r 44100", "120", "sine 440"));
    bool stopped = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* progress = window->findChild<TfrmEncodeProgress*>();
        if (stopped || !progress)
            return;
        const auto& underWay = Child<QLabel>(*progress, "lFilesUnderWay");
        const QStringList lines = underWay.text().split('\n');
        if (lines.size() < 2 || lines[0].endsWith(" 0%") || lines[1].endsWith(" 0%"))
            return;
        const auto percent = [](const QString& line) {
            return line.section(' ', -1).chopped(1).toInt();
        };
        const QString file = QApplication::applicationDirPath() + "/encode_progress_lanes.png";
        EXPECT_TRUE(progress->grab().save(file)) << file.toStdString();
        EXPECT_TRUE(lines[0].startsWith("a.wav \u2192 a.mp3  ")) << lines[0].toStdString();
        EXPECT_TRUE(lines[1].startsWith("b.wav \u2192 b.mp3  ")) << lines[1].toStdString();
        EXPECT_TRUE(underWay.isVisible());
        EXPECT_FALSE(Child<QLabel>(*progress, "lInputFile").isVisible());
        EXPECT_EQ(Child<QProgressBar>(*progress, "ProgressBar1").value(),
                  (percent(lines[0]) + percent(lines[1])) / 3)
            << "the whole batch's progress";
        stopped = true;
        Child<QPushButton>(*progress, "bStop").click();
    });
    watch.start(5);
    Convert(*window, 2, files);

    ASSERT_TRUE(stopped);
    for (const char* name : {"a.mp3", "b.mp3"}) {
        ASSERT_TRUE(corvath::test::TakeStoppedFile(Out(name))) << name << " left partial";
        EXPECT_LT(Seconds(Out(name)), 100) << name;
    }
    QTest::qWait(300);
    EXPECT_FALSE(fs::exists(Out("c.mp3")));
}

// From the window's start to its close.
template <typename Run> double SecondsTaken(Run run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST_F(EncodeProgressTest, TwoFilesAtOnceTakeWellUnderTheTimeOfOneAtATime)
{
    if (std::thread::hardware_concurrency() < 2)
        GTEST_SKIP() << "two files at once need two processors";
    if (!corvath::test::HaveTool("ffprobe"))
        GTEST_SKIP() << "ffprobe reads the outputs";
    const auto window = Start();
    std::vector<fs::path> files;
    for (int i = 1; i <= 20; ++i)
        files.push_back(corvath::test::Sox(In("noise" + std::to_string(i) + ".wav"),
                                           "-b 16 -c 2 -r 44100", "3", "pinknoise"));
    // The best of two runs each, taken in turn, so that a passing load on the machine weighs
    // alike on both.
    double oneAtATime = 1e9;
    double twoAtOnce = 1e9;
    for (int round = 0; round < 2; ++round) {
        for (const auto& [lanes, best] : {std::pair{1, &oneAtATime}, std::pair{2, &twoAtOnce}}) {
            OptionsSetting.CommonOptions.FilesAtOnce = lanes;
            *best = std::min(*best, SecondsTaken([&] { Convert(*window, 2, files); }));
        }
    }
    RecordProperty("one_at_a_time_seconds", std::to_string(oneAtATime));
    RecordProperty("two_at_once_seconds", std::to_string(twoAtOnce));
    EXPECT_LE(twoAtOnce, 0.6 * oneAtATime)
        << "one at a time " << oneAtATime << " s, two at once " << twoAtOnce << " s";
    for (const fs::path& input : files)
        ExpectConverted(input, Out(input.stem().string() + ".mp3"), "mp3", "44100", "2");
}

TEST(FilesUnderWayTest, EachFileIsALineWithItsPercentAndWhatDoesNotFitIsCounted)
{
    FilesUnderWay files;
    files.Add("/in/a.wav", "/out/a.mp3");
    files.Add("/in/b.wav", "/out/b.mp3");
    files.Add("/in/c.wav", "/out/c.mp3");
    files.SetPercent("/in/b.wav", 40);
    files.SetPercent("/in/c.wav", 7);
    files.SetPercent("/in/gone.wav", 99);
    EXPECT_EQ(files.PercentSum(), 47);
    struct Case {
        std::size_t most;
        QString lines;
    };
    for (const Case& each : {Case{3, "a.wav \u2192 a.mp3  0%\nb.wav \u2192 b.mp3  40%\n"
                                     "c.wav \u2192 c.mp3  7%"},
                             {2, "a.wav \u2192 a.mp3  0%\nand 2 more"},
                             {1, "and 3 more"}})
        EXPECT_EQ(files.Lines(each.most), each.lines) << each.most;

    files.Remove("/in/b.wav");
    files.Remove("/in/gone.wav");
    EXPECT_EQ(files.Lines(8), "a.wav \u2192 a.mp3  0%\nc.wav \u2192 c.mp3  7%");
    EXPECT_EQ(files.PercentSum(), 7);
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
