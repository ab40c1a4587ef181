#include "app/options_setting.h"
#include "cd/track_checksums.h"
#include "codecs/mp3/lame_library.h"
#include "main_window_harness.h"
#include "platform/text/hex_text.h"
#include "support/accurate_rip_file.h"
#include "support/audio_tools.h"
#include "support/disc_image.h"
#include "support/http_test_server.h"
#include "support/run_command.h"
#include "ui/cd_rip_dialog.h"
#include "ui/rip_results_panel.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>

namespace corvath::ui::test {
namespace {

namespace fs = std::filesystem;

// Watches the rip window while it is up: what it showed, and a step to take on each look.
class RipWindowWatch {
public:
    explicit RipWindowWatch(const TfrmMain& main)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this, &main] {
            auto* rip = main.findChild<TfrmCDRip*>();
            if (!rip)
                return;
            Note(Child<QLabel>(*rip, "lProgressHint").text().toStdString());
            Note("completed " + Child<QLabel>(*rip, "lCompleted").text().toStdString());
            format = Child<QLabel>(*rip, "lOutputFormat").text().toStdString();
            selected = Child<QLabel>(*rip, "lSelectedTracks").text().toStdString();
            if (onLook)
                onLook(*rip);
            if (clock_.hasExpired(60'000)) { // a window that never closes fails, not hangs
                ADD_FAILURE() << "the rip window did not close";
                rip->Stop();
            }
        });
        clock_.start();
        timer_.start(5);
    }

    std::vector<std::string> seen; // each text once, in the order first seen
    std::string format;
    std::string selected;
    std::function<void(TfrmCDRip&)> onLook;

private:
    void Note(const std::string& text)
    {
        if (!text.empty() && std::ranges::find(seen, text) == seen.end())
            seen.push_back(text);
    }

    QTimer timer_;
    QElapsedTimer clock_;
};

// Reads the rip's results when the rip window shows them, then closes the window with its
// Close button.
class RipResultsWatch {
public:
    explicit RipResultsWatch(const TfrmMain& main)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this, &main] {
            auto* rip = main.findChild<TfrmCDRip*>();
            auto* panel = rip ? rip->findChild<RipResultsPanel*>() : nullptr;
            if (!panel || !panel->isVisible() || shown)
                return;
            shown = true;
            summary = Child<QLabel>(*panel, "lSummary").text().toStdString();
            if (auto* lookupLine = panel->findChild<QLabel*>("lLookup"))
                lookup = lookupLine->text().toStdString();
            const auto& table = Child<QTableWidget>(*panel, "tblResults");
            for (int row = 0; row < table.rowCount(); ++row) {
                std::vector<std::string> cells;
                for (int column = 0; column < table.columnCount(); ++column)
                    cells.push_back(table.item(row, column)->text().toStdString());
                rows.push_back(cells);
            }
            if (beforeClose)
                beforeClose(*rip);
            Child<QPushButton>(*panel, "bClose").click();
        });
        timer_.start(5);
    }

    bool shown = false;
    std::string summary;
    std::string lookup;
    std::vector<std::vector<std::string>> rows;
    std::function<void(TfrmCDRip&)> beforeClose;

private:
    QTimer timer_;
};

class CdRipTest : public MainWindowTest {
protected:
    // A started window over a disc image of three tracks with these sector counts, ripping to
    // the format numbered format.
    std::unique_ptr<TfrmMain> StartWithDisc(int32_t format,
                                            const std::vector<uint32_t>& sectors = {30, 20, 25})
    {
        sectors_ = sectors;
        StoreSettings(AudioImage("disc", sectors));
        auto window = Start();
        OptionsSetting.CommonOptions.OutputFormat = format;
        return window;
    }

    // Runs the Rip command; returns once the rip window has closed.
    static void Rip(TfrmMain& window) { Child<QAction>(window, "aRip").trigger(); }

    fs::path Output(const std::string& name) const { return fs::path(outputFolder_) / name; }

    fs::path RipLog() const
    {
        for (const auto& entry : fs::directory_iterator(outputFolder_))
            if (entry.path().extension() == ".log")
                return entry.path();
        return {};
    }

    std::string Track(std::size_t index) const
    {
        const std::vector<uint8_t> bytes =
            corvath::test::AudioSectors(sectors_[index], static_cast<uint32_t>(index));
        return {bytes.begin(), bytes.end()};
    }

    static std::string Probe(const fs::path& file, const std::string& entries)
    {
        return corvath::test::RunCommand("ffprobe -v error -show_entries " + entries +
                                         " -of default=nw=1 '" + file.string() + "'");
    }

    std::vector<uint32_t> sectors_;
};

TEST_F(CdRipTest, WavTracksAreTheDiscsOwnAndTheWindowClosesItself)
{
    const auto window = StartWithDisc(1);
    RipWindowWatch watch(*window);
    MessageBoxAnswers boxes;
    Rip(*window);

    EXPECT_EQ(window->findChild<TfrmCDRip*>(), nullptr);
    EXPECT_EQ(watch.format, "WAV");
    EXPECT_EQ(watch.selected, "3");
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(corvath::test::WaveData(Output("Track0" + std::to_string(i + 1) + ".wav")) ==
                    Track(i))
            << i;
    EXPECT_EQ(boxes.texts, std::vector<std::string>{});
    EXPECT_EQ(std::ranges::find(watch.seen, "Encoding..."), watch.seen.end());
}

TEST_F(CdRipTest, FlacFilesCarryTheDiscFieldsAndTheWavsGo)
{
    const auto window = StartWithDisc(4);
    Child<QLineEdit>(*window, "ID3artist").setText("The Band");
    Child<QLineEdit>(*window, "ID3album").setText("First Album");
    Child<QLineEdit>(*window, "ID3year").setText("1997");
    RipWindowWatch watch(*window);
    Rip(*window);

    for (const char* name : {"Track01", "Track02", "Track03"}) {
        const fs::path flac = Output(std::string(name) + ".flac");
        EXPECT_EQ(std::system(("flac -s -t '" + flac.string() + "'").c_str()), 0) << flac;
        // Adding the loudness tags rewrites the comment in the order of its names.
        EXPECT_EQ(Probe(flac, "format_tags=ARTIST,ALBUM,DATE"),
                  "TAG:ALBUM=First Album\nTAG:ARTIST=The Band\nTAG:DATE=1997\n");
        EXPECT_FALSE(fs::exists(Output(std::string(name) + ".wav")));
    }
    // The window kept up with the rip while it waited between the steps.
    for (const char* shown : {"Encoding...", "completed 1", "completed 2"})
        EXPECT_NE(std::ranges::find(watch.seen, shown), watch.seen.end()) << shown;
}

TEST_F(CdRipTest, Mp3FilesGetTheirTagsAndKeptWavsStay)
{
    const auto window = StartWithDisc(0);
    OptionsSetting.CommonOptions.IsKeepWav = true;
    Child<QLineEdit>(*window, "ID3artist").setText("The Band");
    Child<QTreeWidget>(*window, "ListView1").topLevelItem(1)->setText(1, "Second Song");
    Rip(*window);

    const std::string titles[] = {"Track01", "Second Song", "Track03"};
    for (int i = 0; i < 3; ++i) {
        const fs::path mp3 = Output(titles[i] + ".mp3");
        EXPECT_EQ(Probe(mp3, "format=format_name:format_tags=title,artist,track"),
                  "format_name=mp3\nTAG:title=" + titles[i] +
                      "\nTAG:artist=The Band\nTAG:track=" + std::to_string(i + 1) + "/3\n");
        EXPECT_TRUE(corvath::test::WaveData(Output(titles[i] + ".wav")) ==
                    Track(static_cast<std::size_t>(i)));
    }
}

TEST_F(CdRipTest, ABadTitleIsListedAndASecondUseOfATitleGetsItsOwnFile)
{
    const auto window = StartWithDisc(4);
    auto& list = Child<QTreeWidget>(*window, "ListView1");
    list.topLevelItem(0)->setText(1, "Same");
    list.topLevelItem(1)->setText(1, "a/b");
    list.topLevelItem(2)->setText(1, "Same");
    MessageBoxAnswers boxes;
    RipResultsWatch results(*window);
    Rip(*window);

    const std::string badName =
        Output("a/b.wav").string() +
        " is not a valid file name. Please rename the Title in the CD tracks list.";
    EXPECT_EQ(boxes.texts, std::vector<std::string>{badName});
    EXPECT_EQ(results.summary, "Track 2 failed");
    ASSERT_EQ(results.rows.size(), 3u);
    EXPECT_EQ(results.rows[1][3], "failed: " + badName);
    EXPECT_EQ(results.rows[2][2], "Same (2).flac");
    EXPECT_TRUE(fs::exists(Output("Same.flac")));
    EXPECT_TRUE(fs::exists(Output("Same (2).flac")));
    EXPECT_FALSE(fs::exists(Output("a")));
}

TEST_F(CdRipTest, AnEncoderLibraryThatCannotBeLoadedIsNamedBeforeTheWindowCloses)
{
    const auto window = StartWithDisc(0);
    LameLibrary().SetFileName("libmissing-lame.so.0");
    MessageBoxAnswers boxes;
    RipResultsWatch results(*window);
    Rip(*window);
    LameLibrary().SetFileName("libmp3lame.so.0");

    EXPECT_EQ(boxes.texts, std::vector<std::string>{});
    EXPECT_EQ(results.summary, "Tracks 1, 2, 3 failed");
    ASSERT_EQ(results.rows.size(), 3u);
    for (const std::vector<std::string>& row : results.rows)
        EXPECT_EQ(row[3], "failed: libmissing-lame.so.0 library could not be loaded.");
}

TEST_F(CdRipTest, StopDuringTheSecondTrackKeepsTheFirstAndShowsWhatWasRipped)
{
    // A long second track, so the window is seen while it is under way.
    const auto window = StartWithDisc(4, {30, 6000, 30});
    RipWindowWatch watch(*window);
    RipResultsWatch results(*window);
    bool stopped = false;
    watch.onLook = [&](TfrmCDRip& rip) {
        const auto& bar = Child<QProgressBar>(rip, "ProgressBar1");
        // While the second track is read: once every track is read, the line shows the first
        // track still encoding, which may be the second too.
        const bool readingSecond = Child<QLabel>(rip, "lCurrentTrack").text() == "Track02" &&
                                   Child<QLabel>(rip, "lProgressHint").text() == "Extracting...";
        if (stopped || !readingSecond || bar.value() < 1)
            return;
        const QString file = QApplication::applicationDirPath() + "/rip_window.png";
        EXPECT_TRUE(rip.grab().save(file)) << file.toStdString();
        stopped = true;
        Child<QPushButton>(rip, "bStop").click();
    };
    results.beforeClose = [](TfrmCDRip& rip) {
        const QString file = QApplication::applicationDirPath() + "/rip_window_stopped.png";
        EXPECT_TRUE(rip.grab().save(file)) << file.toStdString();
    };
    Rip(*window);

    EXPECT_TRUE(stopped);
    ASSERT_TRUE(results.shown) << "a stopped rip shows what it did";
    ASSERT_EQ(results.rows.size(), 3u);
    // The first track is encoded while the second is read: a Stop before its file is made
    // keeps its WAV, and its row says so.
    if (fs::exists(Output("Track01.flac"))) {
        EXPECT_EQ(std::system(("flac -s -t '" + Output("Track01.flac").string() + "'").c_str()), 0);
        EXPECT_EQ(results.rows[0][3], "ripped");
        EXPECT_FALSE(fs::exists(Output("Track01.wav")));
    } else {
        EXPECT_TRUE(corvath::test::WaveData(Output("Track01.wav")) == Track(0));
        EXPECT_EQ(results.rows[0][2], "Track01.wav");
        EXPECT_EQ(
            results.rows[0][3],
            "not ripped: the rip was stopped before all its files were made; its WAV is kept");
    }
    for (const std::size_t row : {1u, 2u})
        EXPECT_EQ(results.rows[row][3], "not ripped: the rip was stopped") << row;
    for (const char* never : {"Track03.wav", "Track03.flac"})
        EXPECT_FALSE(fs::exists(Output(never))) << never;
    QTest::qWait(400);
    EXPECT_FALSE(fs::exists(Output("Track03.wav"))) << "nothing starts after Stop";
}

TEST_F(CdRipTest, EachVerdictShowsAsItComesAndTheResultsListThemAll)
{
    // A long second track, so that the first track's verdict is seen while it is ripped.
    const auto window = StartWithDisc(1, {30, 6000, 25});
    OptionsSetting.RipOptions.CloseWhenDone = false;
    std::vector<std::string> copyCrcs;
    // The disc as the database knows it; track 2 was ripped differently by everyone else.
    const AccurateRipDisc disc =
        AccurateRipDiscOf(DiscFrames{{150, 180, 6180}, 6205}, {true, true, true});
    corvath::test::AccurateRipSubmitted submitted;
    for (std::size_t i = 0; i < 3; ++i) {
        TrackChecksums sums({i == 0, i == 2, uint64_t{sectors_[i]} * 588});
        const std::string audio = Track(i);
        sums.Add(std::span(reinterpret_cast<const uint8_t*>(audio.data()), audio.size()));
        submitted.emplace_back(4, i == 1 ? 0x12345678 : sums.AccurateRipV2());
        copyCrcs.push_back(HexText(sums.CopyCrc()));
    }
    corvath::test::HttpTestServer database([&](const std::string&) {
        return corvath::test::HttpTestResponse{200,
                                               corvath::test::AccurateRipFile(disc, {submitted})};
    });
    OptionsSetting.RipOptions.VerifyAccurateRip = true;
    OptionsSetting.RipOptions.AccurateRipServer = "http://" + database.Address() + "/accuraterip";
    RipWindowWatch watch(*window);
    std::vector<std::string> verdicts;
    watch.onLook = [&](TfrmCDRip& rip) {
        const std::string verdict = Child<QLabel>(rip, "lVerdict").text().toStdString();
        if (verdict.empty() || std::ranges::find(verdicts, verdict) != verdicts.end())
            return;
        if (verdicts.empty()) {
            const QString file = QApplication::applicationDirPath() + "/rip_window_verdict.png";
            EXPECT_TRUE(rip.grab().save(file)) << file.toStdString();
        }
        verdicts.push_back(verdict);
    };
    MessageBoxAnswers boxes;
    RipResultsWatch results(*window);
    results.beforeClose = [](TfrmCDRip& rip) {
        const QString file = QApplication::applicationDirPath() + "/rip_window_results.png";
        EXPECT_TRUE(rip.grab().save(file)) << file.toStdString();
        // No file opener here: the box names the log it could not open.
        Child<QPushButton>(rip, "bShowLog").click();
    };
    Rip(*window);

    EXPECT_EQ(results.summary, "Track 2 not accurately ripped");
    EXPECT_EQ(results.lookup, "");
    ASSERT_EQ(results.rows.size(), 3u);
    const char* verdictsShown[] = {"accurately ripped (confidence 4)", "not accurate",
                                   "accurately ripped (confidence 4)"};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(results.rows[i][3], "ripped");
        EXPECT_EQ(results.rows[i][4], verdictsShown[i]);
        EXPECT_EQ(results.rows[i][5], copyCrcs[i]);
        EXPECT_EQ(results.rows[i][6], "0");
        EXPECT_NE(corvath::test::ReadFile(RipLog()).find(copyCrcs[i]), std::string::npos)
            << "the log holds the same CRCs";
    }
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_NE(boxes.texts[0].find(RipLog().string()), std::string::npos) << boxes.texts[0];
    ASSERT_FALSE(verdicts.empty());
    EXPECT_EQ(verdicts.front(), "Track01: accurately ripped (confidence 4)");
}

// A database that cannot be reached is said once, with the reason, and no track's row repeats
// it; a window that closes itself when done stays when a track failed.
TEST_F(CdRipTest, AnUnreachableDatabaseIsSaidOnceAboveTheResults)
{
    const auto window = StartWithDisc(1);
    OptionsSetting.RipOptions.CloseWhenDone = false;
    OptionsSetting.RipOptions.VerifyAccurateRip = true;
    OptionsSetting.RipOptions.AccurateRipServer = "http://127.0.0.1:1/accuraterip";
    RipResultsWatch results(*window);
    results.beforeClose = [](TfrmCDRip& rip) {
        QTest::keyClick(&rip, Qt::Key_Escape);
        EXPECT_FALSE(rip.isVisible()) << "Escape closes the results";
    };
    Rip(*window);

    EXPECT_TRUE(results.lookup.starts_with("AccurateRip could not be asked: ")) << results.lookup;
    EXPECT_GT(results.lookup.size(), std::string("AccurateRip could not be asked: ").size());
    ASSERT_EQ(results.rows.size(), 3u);
    for (const std::vector<std::string>& row : results.rows) {
        EXPECT_EQ(row[3], "ripped");
        EXPECT_EQ(row[4], "");
    }
}

// A disc with audio before its first track lists it first, unchecked; checked, it rips to its
// own file. Saves the window as main_window_hidden_track.png beside the test program, to be
// looked at.
TEST_F(CdRipTest, AHiddenTrackIsOfferedUncheckedAndRipsWhenChecked)
{
    sectors_ = {30, 20};
    StoreSettings(Image(
        "hidden", {{corvath::test::AudioSectors(30, 0)}, {corvath::test::AudioSectors(20, 1)}}, 1,
        6 * 75));
    const auto window = Start();
    OptionsSetting.CommonOptions.OutputFormat = 1; // WAV
    EXPECT_EQ(Rows(*window), (std::vector<Row>{{"0", "Hidden track", "00:02", "00:06", false},
                                               {"1", "Track01", "00:08", "00:00", true},
                                               {"2", "Track02", "00:08", "00:00", true}}));
    auto& list = Child<QTreeWidget>(*window, "ListView1");
    list.topLevelItem(0)->setText(1, "Before");
    list.topLevelItem(1)->setText(1, "Opening");
    list.topLevelItem(0)->setCheckState(0, Qt::Checked);
    list.topLevelItem(2)->setCheckState(0, Qt::Unchecked);
    list.setCurrentItem(list.topLevelItem(0));
    Idle();
    const QString shot = QApplication::applicationDirPath() + "/main_window_hidden_track.png";
    EXPECT_TRUE(window->grab().save(shot)) << shot.toStdString();

    RipWindowWatch watch(*window);
    MessageBoxAnswers boxes;
    Rip(*window);
    EXPECT_EQ(watch.selected, "2");
    const std::string bin = corvath::test::ReadFile(dir_ / "hidden.bin");
    EXPECT_TRUE(corvath::test::WaveData(Output("Before.wav")) == bin.substr(0, 6 * 75 * 2352));
    EXPECT_TRUE(corvath::test::WaveData(Output("Opening.wav")) == Track(0));
    EXPECT_FALSE(fs::exists(Output("Track02.wav")));
    EXPECT_EQ(boxes.texts, std::vector<std::string>{});
}

TEST_F(CdRipTest, RipMakesTheMissingOutputFolderWhenAskedAndTakesTheCheckedRows)
{
    const auto window = StartWithDisc(1);
    auto& rip = Child<QAction>(*window, "aRip");
    auto& list = Child<QTreeWidget>(*window, "ListView1");
    Child<QAction>(*window, "aSelectNone").trigger();
    Idle();
    EXPECT_FALSE(rip.isEnabled()) << "no row checked";
    list.topLevelItem(0)->setCheckState(0, Qt::Checked);
    list.topLevelItem(2)->setCheckState(0, Qt::Checked);
    Idle();
    EXPECT_TRUE(rip.isEnabled());

    const std::string question = ",the output folder does not exist.\ncreates a new folder?";
    outputFolder_ = (dir_ / "new").string();
    OptionsSetting.CommonOptions.OutputFolder = outputFolder_;
    {
        MessageBoxAnswers no(QMessageBox::No);
        rip.trigger();
        EXPECT_EQ(no.texts, std::vector<std::string>{outputFolder_ + question});
        EXPECT_FALSE(fs::exists(outputFolder_));
    }
    {
        MessageBoxAnswers yes(QMessageBox::Yes);
        rip.trigger();
        EXPECT_EQ(yes.texts, std::vector<std::string>{outputFolder_ + question});
    }
    EXPECT_TRUE(corvath::test::WaveData(Output("Track01.wav")) == Track(0));
    EXPECT_TRUE(corvath::test::WaveData(Output("Track03.wav")) == Track(2));
    EXPECT_FALSE(fs::exists(Output("Track02.wav")));

    const std::string deeper = (dir_ / "missing" / "deeper").string();
    OptionsSetting.CommonOptions.OutputFolder = deeper;
    MessageBoxAnswers yes(QMessageBox::Yes);
    rip.trigger();
    EXPECT_EQ(yes.texts, (std::vector<std::string>{deeper + question, "Cannot create " + deeper}));
}

} // namespace
} // namespace corvath::ui::test
