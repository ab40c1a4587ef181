#include "main_window_harness.h"
#include "platform/files/partial_file.h"
#include "support/audio_tools.h"
#include "support/run_command.h"
#include "support/stopped_output.h"
#include "support/temp_dir.h"
#include "ui/wav_resample_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest/QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace corvath::ui::test {
namespace {

namespace fs = std::filesystem;
using corvath::test::Quoted;
using corvath::test::RunCommand;

constexpr const char* kCdFormat = "-b 16 -c 2 -r 44100";
constexpr int kConversionTimeoutMs = 60'000;
// Long enough that a stopped conversion ends far from the end, even on a busy machine.
constexpr const char* kLongSeconds = "180";

// What ffprobe says of the file's first stream and its container, one "key=value" a line.
std::string Probe(const fs::path& file, const std::string& entries)
{
    return RunCommand("ffprobe -v error -show_entries " + entries + " -of default=nw=1 " +
                      Quoted(file));
}

// The frequency sox's stat effect finds in the file; -1 when sox cannot read it.
double RoughFrequency(const fs::path& file)
{
    const std::string stat = RunCommand("sox " + Quoted(file) + " -n stat 2>&1");
    const std::string key = "Rough   frequency:";
    const auto at = stat.find(key);
    return at == std::string::npos ? -1 : std::stod(stat.substr(at + key.size()));
}

double Duration(const fs::path& file)
{
    const std::string line = Probe(file, "format=duration");
    return line.starts_with("duration=") ? std::stod(line.substr(9)) : -1;
}

// The window over a fresh folder, with file dialogs that answer what the test chose.
class WavResampleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!corvath::test::HaveTool("sox") || !corvath::test::HaveTool("ffprobe"))
            GTEST_SKIP() << "sox and ffprobe are needed to make and check the files";
        const auto answer = [this](const QString& path) {
            return [this, &path](QWidget*, const QString& title, const QString& filter) {
                asked_.push_back(title + " | " + filter);
                return path;
            };
        };
        window_ = std::make_unique<TfrmWavResample>(
            nullptr, TfrmWavResample::FileDialogs{answer(toOpen_), answer(toSave_)});
        window_->show();
    }

    // The same tone in 16-bit stereo CD format, of this length.
    fs::path Tone(const std::string& seconds = "1") const
    {
        return corvath::test::Sox(dir_ / ("tone" + seconds + ".wav"), kCdFormat, seconds,
                                  "sine 1000 vol 0.5");
    }

    void Click(const char* button) { Child<QPushButton>(*window_, button).click(); }

    void ChooseInput(const fs::path& file)
    {
        toOpen_ = QString::fromStdString(file.string());
        Click("Button1");
    }

    fs::path ChooseOutput(const std::string& name)
    {
        const fs::path file = dir_ / name;
        toSave_ = QString::fromStdString(file.string());
        Click("Button2");
        return file;
    }

    // Starts converting a three-minute tone to 16-bit stereo at the CD rate into the file of
    // this name; whether the conversion got going.
    bool StartLongConversion(const std::string& name)
    {
        ChooseInput(Tone(kLongSeconds));
        ChooseOutput(name);
        SetOutput(2, "44100", 16, 0);
        Click("Button3");
        return QTest::qWaitFor([this] { return Progress() > 0; }, kConversionTimeoutMs);
    }

    void SetOutput(int channels, const QString& rate, int bits, int encoding)
    {
        Child<QSpinBox>(*window_, "seChannels").setValue(channels);
        Child<QLineEdit>(*window_, "eSampleRate").setText(rate);
        Child<QSpinBox>(*window_, "seBits").setValue(bits);
        Child<QComboBox>(*window_, "cbEncoding").setCurrentIndex(encoding);
    }

    std::string Caption() const { return window_->windowTitle().toStdString(); }
    std::string Shown(const char* label) const
    {
        return Child<QLabel>(*window_, label).text().toStdString();
    }
    QPushButton& StartButton() const { return Child<QPushButton>(*window_, "Button3"); }
    int Progress() const { return Child<QProgressBar>(*window_, "ProgressBar1").value(); }

    // Starts the conversion and waits, serving the window, until the window is idle again;
    // returns the caption it ends with.
    std::string Convert()
    {
        Click("Button3");
        EXPECT_EQ(Caption(), "Converting...");
        EXPECT_FALSE(StartButton().isEnabled());
        for (const char* chooser : {"Button1", "Button2"})
            EXPECT_FALSE(Child<QPushButton>(*window_, chooser).isEnabled()) << chooser;
        WaitUntilIdle();
        for (const char* chooser : {"Button1", "Button2"})
            EXPECT_TRUE(Child<QPushButton>(*window_, chooser).isEnabled()) << chooser;
        return Caption();
    }

    void WaitUntilIdle() const
    {
        EXPECT_TRUE(
            QTest::qWaitFor([this] { return StartButton().isEnabled(); }, kConversionTimeoutMs));
    }

    // Clicks Start Convert, which must bring up an error box; its text, after answering it.
    std::string StartRefused()
    {
        std::string text;
        WhenModal([&text](QWidget& dialog) {
            auto& box = dynamic_cast<QMessageBox&>(dialog);
            EXPECT_EQ(box.windowTitle(), "Corvath");
            EXPECT_EQ(box.icon(), QMessageBox::Critical);
            text = box.text().toStdString();
            box.button(QMessageBox::Ok)->click();
        });
        Click("Button3");
        return text;
    }

    corvath::test::TempDir dir_;
    QString toOpen_;
    QString toSave_;
    std::vector<QString> asked_;
    std::unique_ptr<TfrmWavResample> window_;
};

TEST_F(WavResampleTest, OpensWithTheDefaultOutputSettingsAndAsksForFilesWithTheirFilters)
{
    EXPECT_EQ(window_->objectName(), "frmWavResample");
    EXPECT_EQ(Caption(), "Wave Converter");
    EXPECT_EQ(Child<QSpinBox>(*window_, "seChannels").value(), 1);
    EXPECT_EQ(Child<QLineEdit>(*window_, "eSampleRate").text(), "22050");
    EXPECT_EQ(Child<QSpinBox>(*window_, "seBits").value(), 8);
    auto& encoding = Child<QComboBox>(*window_, "cbEncoding");
    ASSERT_EQ(encoding.count(), 2);
    EXPECT_EQ(encoding.currentText(), "RAW PCM");
    EXPECT_EQ(encoding.itemText(1), "DVI IMA ADPCM");

    // Cancelled dialogs change nothing.
    Click("Button1");
    Click("Button2");
    EXPECT_EQ(asked_, (std::vector<QString>{
                          "Open | Wave Files (*.wav)",
                          "Save As | Wave Files (*.wav);;Windows Media Files (*.wma)",
                      }));
    EXPECT_EQ(Shown("lInFileName"), "");
    EXPECT_EQ(Shown("lOutFileName"), "");
}

TEST_F(WavResampleTest, HalvesTheRateAndMakesMono8BitPcmOfTheSameTone)
{
    ChooseInput(Tone());
    EXPECT_EQ(Shown("lInFileName"), "tone1.wav");
    EXPECT_EQ(Shown("lInChannels"), "2");
    EXPECT_EQ(Shown("lInSampleRate"), "44100");
    EXPECT_EQ(Shown("lInBits"), "16");
    EXPECT_EQ(Shown("lInEncoding"), "Raw PCM");
    const fs::path out = ChooseOutput("half.wav");
    EXPECT_EQ(Shown("lOutFileName"), "half.wav");

    EXPECT_EQ(Convert(), "Success!");
    EXPECT_TRUE(Child<QPushButton>(*window_, "Button1").isEnabled());
    EXPECT_EQ(Probe(out, "stream=codec_name,sample_rate,channels,bits_per_sample"),
              "codec_name=pcm_u8\nsample_rate=22050\nchannels=1\nbits_per_sample=8\n");
    EXPECT_NEAR(Duration(out), 1.0, 0.01);
    EXPECT_NEAR(RoughFrequency(out), 1000, 30);
}

// A rate the resampler cannot reach from the input's is the conversion's failure, shown in the
// caption, and leaves no file.
TEST_F(WavResampleTest, ARatioTheResamplerRefusesIsShownInTheCaption)
{
    ChooseInput(corvath::test::Sox(dir_ / "low.wav", "-b 16 -c 1 -r 3000", "1", "sine 300"));
    const fs::path out = ChooseOutput("high.wav");
    SetOutput(1, "999999", 16, 0);
    EXPECT_EQ(Convert(), "Frequences ratio 333 is invalid");
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(WavResampleTest, ImaAdpcmTakes16BitsAndRefuses8)
{
    ChooseInput(Tone());
    const fs::path out = ChooseOutput("adpcm.wav");
    SetOutput(1, "22050", 16, 1);
    EXPECT_EQ(Convert(), "Success!");
    EXPECT_EQ(Probe(out, "stream=codec_name,sample_rate,channels"),
              "codec_name=adpcm_ima_wav\nsample_rate=22050\nchannels=1\n");
    EXPECT_NEAR(RoughFrequency(out), 1000, 30);

    SetOutput(1, "22050", 8, 1);
    EXPECT_EQ(Convert(), "Cannot encode 8 bit sound into ADPCM.");
}

TEST_F(WavResampleTest, AnUpperCaseWavNameGetsAWavFileAndEqualSettingsCopyTheSamples)
{
    const fs::path in = Tone();
    ChooseInput(in);
    const fs::path out = ChooseOutput("OUT.WAV");
    SetOutput(2, "44100", 16, 0);
    EXPECT_EQ(Convert(), "Success!");
    EXPECT_EQ(corvath::test::ReadFile(out).substr(0, 4), "RIFF");
    EXPECT_EQ(Probe(out, "format=format_name"), "format_name=wav\n");
    EXPECT_TRUE(corvath::test::WaveData(out) == corvath::test::WaveData(in));
}

TEST_F(WavResampleTest, StartRefusesAMissingOutputABadRateAndAnUnreadableInput)
{
    ChooseInput(Tone());
    EXPECT_EQ(StartRefused(), "The output file name is not set!");

    const fs::path out = ChooseOutput("never.wav");
    SetOutput(1, "abc", 8, 0);
    EXPECT_EQ(StartRefused(), "'abc' is not a valid integer value");

    // A file that is no WAV leaves the last file's parameters shown, and Start does nothing.
    const fs::path notes = dir_ / "notes.wav";
    corvath::test::WriteFile(notes, "not a wave file at all");
    ChooseInput(notes);
    EXPECT_EQ(Shown("lInFileName"), "tone1.wav");
    SetOutput(1, "22050", 8, 0);
    Click("Button3");
    Idle();

    EXPECT_EQ(Caption(), "Wave Converter");
    EXPECT_TRUE(StartButton().isEnabled());
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(WavResampleTest, WmaNeeds16BitSoundAndCloseStopsItsConversion)
{
    ChooseInput(Tone(kLongSeconds));
    const fs::path out = ChooseOutput("long.wma");
    EXPECT_EQ(Convert(), "Failed to init codec") << "no WMA format holds 8-bit samples";

    SetOutput(2, "44100", 16, 0);
    Click("Button3");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Progress() > 0; }, kConversionTimeoutMs))
        << Caption();
    const QString screenshot = QApplication::applicationDirPath() + "/wav_resample_window.png";
    EXPECT_TRUE(window_->grab().save(screenshot)) << screenshot.toStdString();

    Click("Button4");
    WaitUntilIdle();
    EXPECT_EQ(Caption(), "Stopped.");
    EXPECT_TRUE(window_->isVisible());
    EXPECT_LT(Progress(), 100);
    ASSERT_TRUE(corvath::test::TakeStoppedFile(out)) << "left partial";
    EXPECT_EQ(Probe(out, "stream=codec_name:format=format_name"),
              "codec_name=wmav2\nformat_name=asf\n");
    EXPECT_LT(Duration(out), 90);
}

TEST_F(WavResampleTest, ClosingTheWindowStopsAWmaConversionWithItsFileComplete)
{
    const fs::path out = dir_ / "long.wma";
    ASSERT_TRUE(StartLongConversion(out.filename().string())) << Caption();

    window_->close();
    ASSERT_TRUE(corvath::test::TakeStoppedFile(out)) << "left partial";
    const auto size = fs::file_size(out);
    EXPECT_GT(Duration(out), 0);
    EXPECT_LT(Duration(out), 90);
    QTest::qWait(300);
    EXPECT_EQ(fs::file_size(out), size) << "nothing writes after the window closed";
}

// The running conversion reads the output's name when it ends: a name chosen meanwhile would
// race it, so neither chooser can be used and the sink keeps its name until the run is over.
TEST_F(WavResampleTest, TheFilesCannotChangeWhileConverting)
{
    const fs::path otherInput = Tone("2"); // before the run, which could end while sox works
    const fs::path out = dir_ / "long.wma";
    ASSERT_TRUE(StartLongConversion(out.filename().string())) << Caption();
    const std::size_t asked = asked_.size();
    ChooseInput(otherInput);
    const fs::path other = ChooseOutput("other.wav");
    EXPECT_EQ(asked_.size(), asked) << "no file dialog while converting";
    EXPECT_EQ(Child<QLabel>(*window_, "lOutFileName").toolTip(), "long.wma");
    EXPECT_EQ(Child<QLabel>(*window_, "lInFileName").toolTip(), "tone180.wav");

    Click("Button4");
    WaitUntilIdle();
    EXPECT_EQ(Caption(), "Stopped.");
    EXPECT_TRUE(corvath::test::TakeStoppedFile(out)) << "left partial";
    EXPECT_FALSE(fs::exists(other));
    EXPECT_FALSE(fs::exists(PartialName(other.string())));

    // A finished conversion after a stopped one says so again.
    ChooseInput(Tone("1"));
    EXPECT_EQ(ChooseOutput("short.wav"), dir_ / "short.wav");
    EXPECT_EQ(Convert(), "Success!");
    EXPECT_NEAR(Duration(dir_ / "short.wav"), 1.0, 0.01);
}

// What the window relies on: a file sink keeps the name it runs with.
TEST_F(WavResampleTest, AFileSinkRefusesANewNameWhileItRuns)
{
    const Owned<TWaveIn> in = MakeComponent<TWaveIn>();
    in->SetFileName(Tone(kLongSeconds).string());
    const Owned<TWaveOut> sink = MakeComponent<TWaveOut>();
    sink->SetInput(in.get());
    const std::string name = (dir_ / "running.wav").string();
    sink->SetFileName(name);
    sink->Start();
    sink->SetFileName((dir_ / "other.wav").string());
    EXPECT_EQ(sink->FileName(), name);
    sink->StopOutput(false);
    EXPECT_FALSE(sink->IsBusy());
    sink->SetFileName((dir_ / "other.wav").string());
    EXPECT_EQ(sink->FileName(), (dir_ / "other.wav").string()) << "idle again";
}

} // namespace
} // namespace corvath::ui::test
