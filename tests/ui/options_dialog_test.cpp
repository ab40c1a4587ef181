#include "app/options_store.h"
#include "main_window_harness.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

namespace corvath::ui::test {
namespace {

class OptionsDialogTest : public MainWindowTest {
protected:
    // A value other than the default for every setting the dialog shows.
    TOptionsSetting Unusual(int32_t driveIndex) const
    {
        TOptionsSetting settings;
        settings.CommonOptions = {outputFolder_, 4, true, true, 80};
        settings.CommonOptions.FilesAtOnce = 3;
        settings.Mp3Options = {true, true, 64, 256, 7, 3, 2, 192};
        settings.OggOptions = {false, 75, 9, 5, 2};
        settings.WMAOptions = {0, 12, false};
        settings.FLACOptions.Compression = 6;
        settings.APEOptions = {3000, 1};
        settings.OpusOptions = {96, 5};
        settings.CDOptions.Index = driveIndex;
        settings.RipOptions = {-48, true, false, "http://127.0.0.1:9/db", false, true};
        settings.MusicBrainz = {"http://127.0.0.1:9/mb", false, "http://127.0.0.1:9/covers"};
        return settings;
    }

    std::string OptionsFile() const
    {
        std::ifstream file(location_.optionsFile);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    // The settings file without the main window's place, which it adds on closing.
    std::string StoredSettings() const
    {
        const std::string file = OptionsFile();
        return file.substr(0, file.find("\n[MainWindow]"));
    }

    // Opens the dialog with the Options command and runs act on it; Cancel ends it when act leaves
    // it open.
    static void WithOptions(TfrmMain& window, const std::function<void(QDialog&)>& act)
    {
        WhenModal([&act](QWidget& dialog) {
            act(static_cast<QDialog&>(dialog));
            if (dialog.isVisible())
                Child<QPushButton>(dialog, "btCancel").click();
        });
        auto& aOptions = Child<QAction>(window, "aOptions");
        EXPECT_EQ(aOptions.shortcut(), QKeySequence("Ctrl+O"));
        aOptions.trigger();
    }

    // Presses OK; the text of the message box it brings up, empty when none came.
    static QString OkWithMessage(QDialog& dialog)
    {
        QString message;
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [poll, &message] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                poll->deleteLater();
                poll->stop();
                message = box->text();
                box->accept();
            }
        });
        poll->start(10);
        Child<QPushButton>(dialog, "btOk").click();
        if (message.isEmpty()) {
            poll->stop();
            poll->deleteLater();
        }
        return message;
    }
};

TEST_F(OptionsDialogTest, ShowsTheStoredSettingsAndOkStoresThemBackUnchanged)
{
    const int32_t drive = AudioImage("disc", {150});
    SaveOptions(Unusual(drive), location_);
    const std::string before = StoredSettings();
    auto window = Start();
    WithOptions(*window, [&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Options");
        EXPECT_EQ(Child<QTabWidget>(dialog, "PageControl1").currentIndex(), 0);
        EXPECT_EQ(Child<QLineEdit>(dialog, "editOutputDir").text().toStdString(), outputFolder_);
        EXPECT_EQ(Child<QComboBox>(dialog, "cbOutputFormat").currentText(), "FLAC file(*.FLAC)");
        EXPECT_FALSE(Child<QCheckBox>(dialog, "ckbKeepWav").isChecked());
        EXPECT_TRUE(Child<QCheckBox>(dialog, "ckNormalize").isChecked());
        EXPECT_TRUE(Child<QSpinBox>(dialog, "SpinEdit1").isEnabled());
        EXPECT_EQ(Child<QSpinBox>(dialog, "SpinEdit1").value(), 80);
        EXPECT_EQ(Child<QSpinBox>(dialog, "seFilesAtOnce").value(), 3);
        EXPECT_EQ(Child<QComboBox>(dialog, "cbCDList").currentIndex(), drive);
        EXPECT_EQ(Child<QComboBox>(dialog, "cbCDList").currentText().toStdString(),
                  "Image   disc.cue");
        EXPECT_TRUE(Child<QRadioButton>(dialog, "rbVBR").isChecked());
        EXPECT_TRUE(Child<QCheckBox>(dialog, "ckbVBRHead").isEnabled());
        EXPECT_EQ(Child<QComboBox>(dialog, "cbMinBitRate").currentText(), "64 kbit/s");
        EXPECT_EQ(Child<QComboBox>(dialog, "cbMaxBitRate").currentText(), "256 kbit/s");
        EXPECT_EQ(Child<QComboBox>(dialog, "cbVBRQuality").currentIndex(), 7);
        EXPECT_EQ(Child<QComboBox>(dialog, "cbStereoMode").currentText(), "Mono");
        EXPECT_EQ(Child<QSlider>(dialog, "tbMP3Cpu").value(), 2);
        EXPECT_EQ(Child<QComboBox>(dialog, "cbConstantBitRate").currentText(), "192");
        EXPECT_FALSE(Child<QCheckBox>(dialog, "cbUseCompress").isChecked());
        EXPECT_EQ(Child<QSlider>(dialog, "tbCompression").value(), 75);
        EXPECT_EQ(Child<QComboBox>(dialog, "cbOggMaxBit").currentText(), "144 kbit/s");
        EXPECT_EQ(Child<QComboBox>(dialog, "cbOggNomBit").currentText(), " 80 kbit/s");
        EXPECT_EQ(Child<QComboBox>(dialog, "cbOggMinBit").currentText(), " 48 kbit/s");
        EXPECT_EQ(Child<QListWidget>(dialog, "lbCodecs").currentItem()->text(),
                  "Windows Media Audio 2");
        EXPECT_EQ(Child<QListWidget>(dialog, "lbFormats").currentRow(), 12);
        EXPECT_FALSE(Child<QCheckBox>(dialog, "cbWMA_VBR").isChecked());
        EXPECT_EQ(Child<QComboBox>(dialog, "cbFlacCompression").currentIndex(), 6);
        EXPECT_EQ(Child<QSpinBox>(dialog, "seAPECompression").value(), 3000);
        EXPECT_EQ(Child<QSlider>(dialog, "tbAPECpuUsage").value(), 1);
        EXPECT_EQ(Child<QComboBox>(dialog, "cbOpusBitRate").currentText(), "96 kbit/s");
        EXPECT_EQ(Child<QSlider>(dialog, "tbOpusComplexity").value(), 5);
        EXPECT_EQ(Child<QSpinBox>(dialog, "seReadOffset").value(), -48);
        EXPECT_TRUE(Child<QCheckBox>(dialog, "ckSecureReads").isChecked());
        EXPECT_FALSE(Child<QCheckBox>(dialog, "ckVerifyAccurateRip").isChecked());
        EXPECT_FALSE(Child<QLineEdit>(dialog, "editAccurateRipServer").isEnabled());
        EXPECT_EQ(Child<QLineEdit>(dialog, "editAccurateRipServer").text(),
                  "http://127.0.0.1:9/db");
        EXPECT_FALSE(Child<QCheckBox>(dialog, "ckWriteLog").isChecked());
        EXPECT_TRUE(Child<QCheckBox>(dialog, "ckWriteCueSheet").isChecked());
        EXPECT_EQ(Child<QLineEdit>(dialog, "editMusicBrainzServer").text(),
                  "http://127.0.0.1:9/mb");
        EXPECT_FALSE(Child<QCheckBox>(dialog, "ckCoverArt").isChecked());
        EXPECT_FALSE(Child<QLineEdit>(dialog, "editCoverArtServer").isEnabled());
        EXPECT_EQ(Child<QLineEdit>(dialog, "editCoverArtServer").text(),
                  "http://127.0.0.1:9/covers");
        EXPECT_EQ(OkWithMessage(dialog), "");
        EXPECT_FALSE(dialog.isVisible());
    });
    window->close();
    EXPECT_EQ(StoredSettings(), before) << "every setting stays as it was";
}

TEST_F(OptionsDialogTest, OkStoresWhatWasChosenAndTheMainWindowShowsIt)
{
    SaveOptions(Unusual(AudioImage("disc", {150})), location_);
    auto window = Start();
    const std::string elsewhere = (dir_ / "elsewhere").string();
    std::filesystem::create_directory(elsewhere);
    WithOptions(*window, [&](QDialog& dialog) {
        Child<QLineEdit>(dialog, "editOutputDir").setText(QString::fromStdString(elsewhere));
        Child<QComboBox>(dialog, "cbOutputFormat").setCurrentIndex(5);
        Child<QCheckBox>(dialog, "ckbKeepWav").setChecked(true);
        Child<QRadioButton>(dialog, "rbCBR").click();
        Child<QComboBox>(dialog, "cbConstantBitRate").setCurrentIndex(1);
        Child<QComboBox>(dialog, "cbMinBitRate").setCurrentIndex(0);
        Child<QListWidget>(dialog, "lbFormats").setCurrentRow(3);
        Child<QSpinBox>(dialog, "seAPECompression").stepUp();
        Child<QComboBox>(dialog, "cbOpusBitRate").setCurrentText("192 kbit/s");
        Child<QSlider>(dialog, "tbOpusComplexity").setValue(0);
        Child<QSpinBox>(dialog, "seReadOffset").setValue(667);
        Child<QSpinBox>(dialog, "seFilesAtOnce").setValue(5);
        Child<QCheckBox>(dialog, "ckVerifyAccurateRip").setChecked(true);
        EXPECT_TRUE(Child<QLineEdit>(dialog, "editAccurateRipServer").isEnabled());
        Child<QLineEdit>(dialog, "editAccurateRipServer").setText(" http://db.example/ar ");
        Child<QCheckBox>(dialog, "ckWriteLog").setChecked(true);
        Child<QLineEdit>(dialog, "editMusicBrainzServer").setText(" http://mb.example ");
        Child<QCheckBox>(dialog, "ckCoverArt").setChecked(true);
        EXPECT_TRUE(Child<QLineEdit>(dialog, "editCoverArtServer").isEnabled());
        Child<QLineEdit>(dialog, "editCoverArtServer").setText("http://covers.example");
        EXPECT_EQ(OkWithMessage(dialog), "");
    });
    EXPECT_EQ(OptionsSetting.MusicBrainz.Server, "http://mb.example");
    EXPECT_TRUE(OptionsSetting.MusicBrainz.CoverArt);
    EXPECT_EQ(OptionsSetting.MusicBrainz.CoverArtServer, "http://covers.example");
    EXPECT_EQ(OptionsSetting.RipOptions.ReadOffset, 667);
    EXPECT_TRUE(OptionsSetting.RipOptions.VerifyAccurateRip);
    EXPECT_EQ(OptionsSetting.RipOptions.AccurateRipServer, "http://db.example/ar");
    EXPECT_TRUE(OptionsSetting.RipOptions.WriteLog);
    EXPECT_EQ(OptionsSetting.CommonOptions.OutputFolder, elsewhere);
    EXPECT_EQ(OptionsSetting.CommonOptions.OutputFormat, 5);
    EXPECT_EQ(OptionsSetting.CommonOptions.FilesAtOnce, 5);
    EXPECT_FALSE(OptionsSetting.CommonOptions.IsKeepWav);
    EXPECT_FALSE(OptionsSetting.Mp3Options.IsSelectVBR);
    EXPECT_EQ(OptionsSetting.Mp3Options.ConstantBitRate, 56);
    EXPECT_EQ(OptionsSetting.Mp3Options.BitRate, 32);
    EXPECT_EQ(OptionsSetting.WMAOptions.FormatIndex, 3);
    EXPECT_EQ(OptionsSetting.APEOptions.Compression, 3500);
    EXPECT_EQ(OptionsSetting.OpusOptions.BitRate, 192);
    EXPECT_EQ(OptionsSetting.OpusOptions.Complexity, 0);
    EXPECT_EQ(Child<QComboBox>(*window, "cbOutputFormat").currentIndex(), 5);
    EXPECT_EQ(Child<QLineEdit>(*window, "eOutputDir").text().toStdString(), elsewhere);
    window->close();
}

TEST_F(OptionsDialogTest, FilesConvertedAtOnceAreOnePerProcessorUntilAnotherCountIsChosen)
{
    StoreSettings(99);
    auto window = Start();
    const int processors = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    const auto chooseThenOk = [&](int chosen) {
        WithOptions(*window, [&](QDialog& dialog) {
            auto& atOnce = Child<QSpinBox>(dialog, "seFilesAtOnce");
            EXPECT_EQ(atOnce.accessibleName(), "Files converted at once");
            EXPECT_EQ(atOnce.minimum(), 1);
            EXPECT_EQ(atOnce.maximum(), 256);
            const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
            const auto caption = std::ranges::find_if(
                labels, [&](const QLabel* label) { return label->buddy() == &atOnce; });
            ASSERT_NE(caption, labels.end()) << "a caption with an access key";
            EXPECT_EQ((*caption)->text(), "Files converted at &once:");
            if (chosen != 0)
                atOnce.setValue(chosen);
            EXPECT_EQ(OkWithMessage(dialog), "");
        });
    };
    WithOptions(*window, [&](QDialog& dialog) {
        EXPECT_EQ(Child<QSpinBox>(dialog, "seFilesAtOnce").value(), processors);
    });
    chooseThenOk(0);
    EXPECT_EQ(OptionsSetting.CommonOptions.FilesAtOnce, 0) << "still one per processor";
    chooseThenOk(processors + 1);
    EXPECT_EQ(OptionsSetting.CommonOptions.FilesAtOnce, processors + 1);
    WithOptions(*window, [&](QDialog& dialog) {
        EXPECT_EQ(Child<QSpinBox>(dialog, "seFilesAtOnce").value(), processors + 1);
    });
    window->close();
    EXPECT_NE(OptionsFile().find("FilesAtOnce=" + std::to_string(processors + 1)),
              std::string::npos)
        << OptionsFile();
}

TEST_F(OptionsDialogTest, CancelAndAMissingFolderStoreNothing)
{
    const TOptionsSetting stored = Unusual(AudioImage("disc", {150}));
    SaveOptions(stored, location_);
    auto window = Start();
    const auto changeEverything = [](QDialog& dialog) {
        Child<QComboBox>(dialog, "cbOutputFormat").setCurrentIndex(0);
        Child<QCheckBox>(dialog, "ckNormalize").setChecked(false);
        Child<QSlider>(dialog, "tbMP3Cpu").setValue(3);
        Child<QComboBox>(dialog, "cbFlacCompression").setCurrentIndex(1);
    };
    WithOptions(*window, [&](QDialog& dialog) {
        changeEverything(dialog);
        Child<QPushButton>(dialog, "btCancel").click();
    });
    const QString missing = QString::fromStdString((dir_ / "missing").string());
    WithOptions(*window, [&](QDialog& dialog) {
        changeEverything(dialog);
        Child<QLineEdit>(dialog, "editOutputDir").setText(missing);
        EXPECT_EQ(OkWithMessage(dialog), missing + ",the output folder does not exist.");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.focusWidget(), &Child<QLineEdit>(dialog, "editOutputDir"));
    });
    EXPECT_EQ(OptionsSetting.CommonOptions.OutputFormat, 4);
    EXPECT_TRUE(OptionsSetting.CommonOptions.IsNormalize);
    EXPECT_EQ(OptionsSetting.Mp3Options.CPU, 2);
    EXPECT_EQ(OptionsSetting.FLACOptions.Compression, 6);
    EXPECT_EQ(OptionsSetting.CommonOptions.OutputFolder, outputFolder_);
    window->close();
}

// A bit-rate text that is no number keeps the dialog open for a second try and stores nothing
// until OK succeeds: the main window keeps showing what is stored.
// An address in use cannot be emptied: the message names it, and its page comes up.
TEST_F(OptionsDialogTest, AnEmptyMusicBrainzAddressInUseStoresNothing)
{
    SaveOptions(Unusual(AudioImage("disc", {150})), location_);
    auto window = Start();
    struct Case {
        const char* field;
        QString message;
    };
    for (const Case& c :
         {Case{"editMusicBrainzServer", "The MusicBrainz server address is empty. Enter one, "
                                        "such as https://musicbrainz.org."},
          Case{"editCoverArtServer", "The Cover Art Archive address is empty. Enter one, such "
                                     "as https://coverartarchive.org."}}) {
        WithOptions(*window, [&](QDialog& dialog) {
            Child<QCheckBox>(dialog, "ckCoverArt").setChecked(true);
            Child<QLineEdit>(dialog, c.field).setText("  ");
            EXPECT_EQ(OkWithMessage(dialog), c.message);
            EXPECT_TRUE(dialog.isVisible());
            auto& pages = Child<QTabWidget>(dialog, "PageControl1");
            EXPECT_EQ(pages.tabText(pages.currentIndex()), "MusicBrainz");
        });
    }
    EXPECT_EQ(OptionsSetting.MusicBrainz.Server, "http://127.0.0.1:9/mb");
    EXPECT_FALSE(OptionsSetting.MusicBrainz.CoverArt);
    window->close();
}

TEST_F(OptionsDialogTest, ABitRateTextThatIsNoNumberStoresNothing)
{
    SaveOptions(Unusual(AudioImage("disc", {150})), location_);
    auto window = Start();
    const std::string elsewhere = (dir_ / "elsewhere").string();
    std::filesystem::create_directory(elsewhere);
    WithOptions(*window, [&](QDialog& dialog) {
        Child<QComboBox>(dialog, "cbOutputFormat").setCurrentIndex(1);
        Child<QLineEdit>(dialog, "editOutputDir").setText(QString::fromStdString(elsewhere));
        Child<QCheckBox>(dialog, "ckNormalize").setChecked(false);
        Child<QCheckBox>(dialog, "ckbVBRHead").setChecked(false);
        Child<QComboBox>(dialog, "cbMinBitRate").setEditText("abcdef");
        Child<QComboBox>(dialog, "cbMaxBitRate").setCurrentIndex(9);
        Child<QComboBox>(dialog, "cbStereoMode").setCurrentIndex(0);
        EXPECT_EQ(OkWithMessage(dialog), "'abc' is not a valid integer value");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(OptionsSetting.CommonOptions.OutputFormat, 4);
        EXPECT_EQ(OptionsSetting.CommonOptions.OutputFolder, outputFolder_);
        EXPECT_TRUE(OptionsSetting.CommonOptions.IsNormalize);
        EXPECT_TRUE(OptionsSetting.Mp3Options.IsVBRHead);
        EXPECT_EQ(OptionsSetting.Mp3Options.MaxBitRate, 256);
        EXPECT_EQ(OptionsSetting.Mp3Options.StereoMode, 3);

        Child<QComboBox>(dialog, "cbMinBitRate").setEditText(" 96 kbit/s");
        EXPECT_EQ(OkWithMessage(dialog), "");
    });
    EXPECT_EQ(OptionsSetting.Mp3Options.BitRate, 96);
    EXPECT_EQ(OptionsSetting.Mp3Options.MaxBitRate, 160);
    EXPECT_EQ(OptionsSetting.Mp3Options.StereoMode, 0);
    EXPECT_EQ(OptionsSetting.CommonOptions.OutputFolder, elsewhere);
    window->close();
}

TEST_F(OptionsDialogTest, CancelAfterARefusedBitRateLeavesEverySettingAsItWas)
{
    SaveOptions(Unusual(AudioImage("disc", {150})), location_);
    auto window = Start();
    const std::string before = StoredSettings();
    const std::string elsewhere = (dir_ / "elsewhere").string();
    std::filesystem::create_directory(elsewhere);
    WithOptions(*window, [&](QDialog& dialog) {
        Child<QComboBox>(dialog, "cbOutputFormat").setCurrentIndex(1);
        Child<QLineEdit>(dialog, "editOutputDir").setText(QString::fromStdString(elsewhere));
        Child<QComboBox>(dialog, "cbMinBitRate").setEditText("abcdef");
        EXPECT_EQ(OkWithMessage(dialog), "'abc' is not a valid integer value");
        Child<QPushButton>(dialog, "btCancel").click();
    });
    EXPECT_EQ(OptionsSetting.CommonOptions.OutputFormat, 4);
    EXPECT_EQ(OptionsSetting.CommonOptions.OutputFolder, outputFolder_);
    EXPECT_EQ(Child<QComboBox>(*window, "cbOutputFormat").currentIndex(), 4);
    EXPECT_EQ(Child<QLineEdit>(*window, "eOutputDir").text().toStdString(), outputFolder_);
    window->close();
    EXPECT_EQ(StoredSettings(), before);
}

// Enter presses OK on every page, whether the page's first control or one of its buttons
// (Browse, Default) has the focus.
TEST_F(OptionsDialogTest, EnterPressesOkOnEveryPage)
{
    SaveOptions(Unusual(AudioImage("disc", {150})), location_);
    auto window = Start();
    int pages = 1;
    for (int page = 0; page < pages; ++page) {
        for (bool onButton : {false, true}) {
            SCOPED_TRACE(testing::Message() << "page " << page << (onButton ? " button" : ""));
            WithOptions(*window, [&](QDialog& dialog) {
                auto& tabs = Child<QTabWidget>(dialog, "PageControl1");
                pages = tabs.count();
                tabs.setCurrentIndex(page);
                Child<QComboBox>(dialog, "cbOutputFormat").setCurrentIndex(page % 2);
                QWidget* focus = tabs.currentWidget()->nextInFocusChain();
                const auto buttons = tabs.currentWidget()->findChildren<QPushButton*>();
                if (onButton && !buttons.isEmpty())
                    focus = buttons.front();
                focus->setFocus();
                Idle();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                EXPECT_FALSE(dialog.isVisible()) << focus->objectName().toStdString();
                EXPECT_EQ(dialog.result(), QDialog::Accepted);
            });
            EXPECT_EQ(OptionsSetting.CommonOptions.OutputFormat, page % 2);
        }
    }
    EXPECT_GT(pages, 5);
    window->close();
}

// Qt selects the first item of a list as soon as one is added: a stored drive the list does not
// hold shows as none and stays stored unless another is picked.
TEST_F(OptionsDialogTest, AStoredDriveBeyondTheListIsKeptUnlessAnotherIsPicked)
{
    const int32_t only = AudioImage("disc", {150});
    const int32_t beyond = only + 3;
    StoreSettings(beyond);
    auto window = Start();
    WithOptions(*window, [&](QDialog& dialog) {
        EXPECT_EQ(Child<QComboBox>(dialog, "cbCDList").currentIndex(), -1);
        EXPECT_EQ(OkWithMessage(dialog), "");
    });
    EXPECT_EQ(OptionsSetting.CDOptions.Index, beyond);
    WithOptions(*window, [&](QDialog& dialog) {
        Child<QComboBox>(dialog, "cbCDList").setCurrentIndex(only);
        EXPECT_EQ(OkWithMessage(dialog), "");
    });
    EXPECT_EQ(OptionsSetting.CDOptions.Index, only);
    EXPECT_EQ(window->StatusText().toStdString(), "Image   disc.cue");
    window->close();
}

TEST_F(OptionsDialogTest, ABitRateThatIsNotListedIsKept)
{
    TOptionsSetting settings = Unusual(AudioImage("disc", {150}));
    settings.Mp3Options.ConstantBitRate = 112;
    settings.OpusOptions.BitRate = 100; // typed into the settings file
    SaveOptions(settings, location_);
    auto window = Start();
    WithOptions(*window, [&](QDialog& dialog) {
        EXPECT_EQ(Child<QComboBox>(dialog, "cbConstantBitRate").currentIndex(), -1);
        EXPECT_EQ(Child<QComboBox>(dialog, "cbOpusBitRate").currentIndex(), -1);
        EXPECT_EQ(OkWithMessage(dialog), "");
    });
    EXPECT_EQ(OptionsSetting.Mp3Options.ConstantBitRate, 112);
    EXPECT_EQ(OptionsSetting.OpusOptions.BitRate, 100);
    window->close();
}

TEST_F(OptionsDialogTest, DefaultButtonsAndEnablingRules)
{
    SaveOptions(Unusual(AudioImage("disc", {150})), location_);
    auto window = Start();
    WithOptions(*window, [&](QDialog& dialog) {
        Child<QPushButton>(dialog, "bDefault").click();
        EXPECT_TRUE(Child<QRadioButton>(dialog, "rbCBR").isChecked());
        EXPECT_FALSE(Child<QCheckBox>(dialog, "ckbVBRHead").isChecked());
        EXPECT_TRUE(Child<QCheckBox>(dialog, "ckbVBRHead").isEnabled()) << "CBR changes nothing";
        EXPECT_EQ(Child<QComboBox>(dialog, "cbMinBitRate").currentIndex(), 8);
        EXPECT_EQ(Child<QComboBox>(dialog, "cbMaxBitRate").currentIndex(), 13);
        EXPECT_EQ(Child<QComboBox>(dialog, "cbVBRQuality").currentIndex(), 4);
        EXPECT_EQ(Child<QComboBox>(dialog, "cbStereoMode").currentText(), "Joint Stereo");
        EXPECT_EQ(Child<QSlider>(dialog, "tbMP3Cpu").value(), 3);
        EXPECT_EQ(Child<QComboBox>(dialog, "cbConstantBitRate").currentText(), "192");

        auto& formats = Child<QListWidget>(dialog, "lbFormats");
        const int formatCount = formats.count();
        EXPECT_GT(formatCount, 12);
        Child<QCheckBox>(dialog, "cbWMA_VBR").click();
        EXPECT_EQ(formats.count(), 0) << "no variable-bit-rate formats";
        Child<QPushButton>(dialog, "bWMADefault").click();
        EXPECT_FALSE(Child<QCheckBox>(dialog, "cbWMA_VBR").isChecked());
        EXPECT_EQ(Child<QListWidget>(dialog, "lbCodecs").currentRow(), 0);
        EXPECT_EQ(formats.count(), formatCount);
        EXPECT_EQ(formats.currentRow(), 0);

        auto& keepWav = Child<QCheckBox>(dialog, "ckbKeepWav");
        auto& format = Child<QComboBox>(dialog, "cbOutputFormat");
        format.setCurrentIndex(1);
        EXPECT_FALSE(keepWav.isEnabled());
        EXPECT_FALSE(keepWav.isChecked());
        format.setCurrentIndex(0);
        EXPECT_TRUE(keepWav.isEnabled());
        format.setCurrentIndex(1);
        Child<QCheckBox>(dialog, "ckNormalize").setChecked(false);
        EXPECT_FALSE(Child<QSpinBox>(dialog, "SpinEdit1").isEnabled());
        EXPECT_EQ(OkWithMessage(dialog), "");
    });
    EXPECT_TRUE(OptionsSetting.CommonOptions.IsKeepWav);
    EXPECT_EQ(OptionsSetting.WMAOptions.FormatIndex, 0);
    window->close();
}

TEST_F(OptionsDialogTest, ChoosingAnotherDriveReloadsTheListAndNoChoiceLeavesItAlone)
{
    const int32_t first = AudioImage("first", {150, 150});
    const int32_t second = AudioImage("second", {150, 150, 150});
    StoreSettings(first);
    auto window = Start();
    ASSERT_EQ(Rows(*window).size(), 2u);
    WithOptions(*window, [&](QDialog& dialog) {
        Child<QComboBox>(dialog, "cbCDList").setCurrentIndex(second);
        EXPECT_EQ(OkWithMessage(dialog), "");
    });
    ASSERT_EQ(Rows(*window).size(), 3u);
    EXPECT_EQ(OptionsSetting.CDOptions.Index, second);
    EXPECT_EQ(window->StatusText().toStdString(), "Image   second.cue");

    auto& list = Child<QTreeWidget>(*window, "ListView1");
    list.topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    WithOptions(*window, [&](QDialog& dialog) { EXPECT_EQ(OkWithMessage(dialog), ""); });
    EXPECT_FALSE(Rows(*window)[1].checked) << "the disc was not loaded again";
    window->close();
}

// A drive that cannot be opened leaves no rows of the drive closed before.
TEST_F(OptionsDialogTest, ChoosingADriveThatCannotBeOpenedEmptiesTheList)
{
    const int32_t first = AudioImage("first", {150, 150});
    const int32_t broken = AudioImage("broken", {150});
    StoreSettings(first);
    auto window = Start();
    ASSERT_EQ(Rows(*window).size(), 2u);
    std::filesystem::remove(dir_ / "broken.bin");
    WithOptions(*window, [&](QDialog& dialog) {
        Child<QComboBox>(dialog, "cbCDList").setCurrentIndex(broken);
        EXPECT_EQ(OkWithMessage(dialog), "");
    });
    EXPECT_TRUE(Rows(*window).empty());
    EXPECT_EQ(window->StatusText().toStdString(), "Can not find CD devices!");
    window->close();
}

// The preview names the first checked track as the pattern typed so far would; a pattern that
// leads outside the output folder is refused where it is typed.
TEST_F(OptionsDialogTest, FileNamesAndOtherFormatsShowInThePreviewAndStayInTheOutputFolder)
{
    SaveOptions(Unusual(AudioImage("disc", {150, 20000})), location_);
    auto window = Start();
    Child<QLineEdit>(*window, "ID3artist").setText("Band");
    Child<QLineEdit>(*window, "ID3album").setText("Live: Here");
    WithOptions(*window, [&](QDialog& dialog) {
        auto& pattern = Child<QComboBox>(dialog, "cbFileNames");
        const auto& preview = Child<QLabel>(dialog, "lPreview");
        EXPECT_EQ(pattern.currentText(), "%title%");
        EXPECT_EQ(preview.text(), "Track01.flac") << "the default names files as before";
        pattern.setCurrentText("%albumartist%/%album%/%track% - %title%");
        EXPECT_EQ(preview.text(), "Band/Live_ Here/01 - Track01.flac");
        EXPECT_FALSE(Child<QCheckBox>(dialog, "ckAlsoFLAC").isEnabled()) << "the main format";
        Child<QCheckBox>(dialog, "ckAlsoMP3").setChecked(true);
        EXPECT_EQ(preview.text(), "FLAC/Band/Live_ Here/01 - Track01.flac");
        Child<QTabWidget>(dialog, "PageControl1").setCurrentIndex(0);
        Idle();
        const QString file = QApplication::applicationDirPath() + "/options_output_pattern.png";
        EXPECT_TRUE(dialog.grab().save(file)) << file.toStdString();

        pattern.setCurrentText("../x");
        EXPECT_EQ(preview.text(), "The file-name pattern would lead outside the output folder.");
        EXPECT_EQ(OkWithMessage(dialog), preview.text());
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.focusWidget(), &pattern);
        pattern.setCurrentText("%album%/%track% %title%");
        auto& replayGain = Child<QComboBox>(dialog, "cbReplayGain");
        EXPECT_EQ(replayGain.currentText(), "Track and album gain") << "the default";
        replayGain.setCurrentIndex(1);
        EXPECT_EQ(OkWithMessage(dialog), "");
    });
    EXPECT_EQ(OptionsSetting.CommonOptions.FileNamePattern, "%album%/%track% %title%");
    EXPECT_EQ(OptionsSetting.CommonOptions.AlsoWrite, "mp3");
    EXPECT_EQ(ReplayGainModeOf(OptionsSetting.CommonOptions.ReplayGain), ReplayGainMode::Track);
    window->close();
    EXPECT_NE(OptionsFile().find("FileNamePattern=%album%/%track% %title%"), std::string::npos)
        << OptionsFile();
}

TEST_F(OptionsDialogTest, ScreenshotOfEveryPage)
{
    SaveOptions(Unusual(AudioImage("Optiarc DVD RW", {150})), location_);
    auto window = Start();
    WithOptions(*window, [&](QDialog& dialog) {
        auto& pages = Child<QTabWidget>(dialog, "PageControl1");
        for (int page = 0; page < pages.count(); ++page) {
            pages.setCurrentIndex(page);
            Idle();
            const QString file = QApplication::applicationDirPath() + "/options_" +
                                 pages.tabText(page).toLower() + ".png";
            EXPECT_TRUE(dialog.grab().save(file)) << file.toStdString();
        }
    });
    window->close();
}

} // namespace
} // namespace corvath::ui::test
