#include "app/options_setting.h"
#include "main_window_harness.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "support/slow_disc.h"
#include "ui/cd_rip_dialog.h"
#include "ui/rip_results_panel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest/QTest>
#include <filesystem>

namespace corvath::ui::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The rip's log, whose name the window does not show.
bool LogIn(const std::string& folder)
{
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".log")
            return true;
    return false;
}

// A rip of one track from a drive whose secure reads take five seconds each, up until its
// first read is under way.
class RipStopTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        OptionsSetting.CommonOptions.OutputFolder = outputFolder_;
        OptionsSetting.RipOptions.SecureReads = true;
        OptionsSetting.RipOptions.VerifyAccurateRip = false;
        handle_ = OpenDiscHandle(std::make_unique<corvath::test::SlowDisc>(300, 5s));
        ASSERT_NE(handle_, 0);
        RipJob job;
        job.cdHandle = handle_;
        job.tracks = {{1, "Slow"}};
        job.format = OutputFormat::WAV;
        job.trackTotal = 1;
        rip_ = std::make_unique<TfrmCDRip>(nullptr, std::move(job));
        rip_->show();
        const auto& current = Child<QLabel>(*rip_, "lCurrentTrack");
        ASSERT_TRUE(QTest::qWaitFor([&] { return current.text() == "Slow"; }, 5000));
        QTest::qWait(100);
    }

    void TearDown() override
    {
        rip_.reset();
        CloseCDHandle(handle_);
    }

    int32_t handle_ = 0;
    std::unique_ptr<TfrmCDRip> rip_;
};

// Stop must neither hold the window for the read under way nor let the window go before the
// read has ended.
TEST_F(RipStopTest, StopShowsStoppingUntilTheReadHasEndedAndClosingThenClosesTheWindow)
{
    TfrmCDRip& rip = *rip_;
    auto& stop = Child<QPushButton>(rip, "bStop");
    QElapsedTimer clock;
    clock.start();
    stop.click();
    EXPECT_LT(clock.elapsed(), 200) << "Stop held the window";
    EXPECT_TRUE(rip.isVisible());
    EXPECT_FALSE(stop.isEnabled());
    EXPECT_EQ(Child<QLabel>(rip, "lProgressHint").text(), "Stopping...");
    const QString file = QApplication::applicationDirPath() + "/rip_window_stopping.png";
    EXPECT_TRUE(rip.grab().save(file)) << file.toStdString();
    rip.close(); // closing the window while it stops leaves it up too
    EXPECT_TRUE(rip.isVisible());
    EXPECT_TRUE(LogIn(outputFolder_)) << "the stopped rip's log is written at once";

    EXPECT_TRUE(QTest::qWaitFor([&] { return !rip.isVisible(); }, 4000));
    EXPECT_LT(clock.elapsed(), 4000) << "the read was not cut short by Stop";
}

TEST_F(RipStopTest, AfterStopTheWindowShowsWhatWasNotRippedUntilEscape)
{
    TfrmCDRip& rip = *rip_;
    Child<QPushButton>(rip, "bStop").click();
    RipResultsPanel* panel = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (panel = rip.findChild<RipResultsPanel*>()); }, 4000));
    EXPECT_TRUE(rip.isVisible());
    const auto& table = Child<QTableWidget>(*panel, "tblResults");
    ASSERT_EQ(table.rowCount(), 1);
    EXPECT_EQ(table.item(0, 3)->text(), "not ripped: the rip was stopped");
    EXPECT_TRUE(Child<QPushButton>(*panel, "bShowLog").isEnabled());

    QTest::keyClick(&rip, Qt::Key_Escape);
    EXPECT_FALSE(rip.isVisible());
}

} // namespace
} // namespace corvath::ui::test
