#include "main_window_harness.h"
#include "support/disc_image.h"
#include "support/recording_output.h"

#include <QAction>
#include <QApplication>
#include <QStatusBar>
#include <QTreeWidget>
#include <QtTest/QTest>

namespace corvath::ui::test {
namespace {

class PlaybackTest : public MainWindowTest {
protected:
    // A started window over a disc of four tracks, played into the recorder.
    std::unique_ptr<TfrmMain> StartWithDisc()
    {
        StoreSettings(AudioImage("disc", kSectors));
        auto window = Start(recorder_.Factory());
        idle_ = window->StatusText();
        return window;
    }

    static void Select(TfrmMain& window, int row)
    {
        auto& list = Child<QTreeWidget>(window, "ListView1");
        list.setCurrentItem(list.topLevelItem(row));
        Idle();
    }

    static void Trigger(TfrmMain& window, const char* action)
    {
        Idle(); // the commands' enabling is brought up to date first, as a user would see it
        Child<QAction>(window, action).trigger();
    }

    static std::string Track(std::size_t index)
    {
        const std::vector<uint8_t> bytes =
            corvath::test::AudioSectors(kSectors[index], static_cast<uint32_t>(index));
        return {bytes.begin(), bytes.end()};
    }

    // Runs the window until playback has ended by itself.
    bool UntilIdle(const TfrmMain& window) const
    {
        return QTest::qWaitFor([&] { return window.StatusText() == idle_; }, 10'000);
    }

    static inline const std::vector<uint32_t> kSectors = {20, 30, 25, 15};
    corvath::test::RecordingOutput recorder_;
    QString idle_;
};

TEST_F(PlaybackTest, ARowPlaysExactlyItsTrackThenPlaybackEnds)
{
    const auto window = StartWithDisc();
    Select(*window, 1);
    Trigger(*window, "aPlay");
    EXPECT_EQ(window->StatusText(), "Play Track02");
    ASSERT_TRUE(UntilIdle(*window));
    EXPECT_TRUE(recorder_.Takes() == std::vector<std::string>{Track(1)});
    Idle();
    EXPECT_FALSE(Child<QAction>(*window, "aStop").isEnabled());
    EXPECT_FALSE(Child<QAction>(*window, "aPause").isEnabled());

    Select(*window, 3);
    Trigger(*window, "aPlay");
    ASSERT_TRUE(UntilIdle(*window));
    EXPECT_TRUE(recorder_.Takes().back() == Track(3)) << "the last row plays to the end";
}

// The hidden track's row plays the audio before the first track, and the rows after it their
// own tracks.
TEST_F(PlaybackTest, TheHiddenTracksRowPlaysWhatLiesBeforeTheFirstTrack)
{
    StoreSettings(Image("hidden", {{corvath::test::AudioSectors(kSectors[0], 0)}}, 1, 75));
    const auto window = Start(recorder_.Factory());
    idle_ = window->StatusText();
    for (const int row : {0, 1}) {
        Select(*window, row);
        Trigger(*window, "aPlay");
        ASSERT_TRUE(UntilIdle(*window));
    }
    const std::string bin = corvath::test::ReadFile(dir_ / "hidden.bin");
    EXPECT_TRUE(recorder_.Takes() ==
                (std::vector<std::string>{bin.substr(0, 75 * 2352), Track(0)}));
}

TEST_F(PlaybackTest, PlayOnAnotherRowRestartsThere)
{
    const auto window = StartWithDisc();
    recorder_.Hold(true);
    Select(*window, 0);
    Trigger(*window, "aPlay");
    Select(*window, 2);
    Trigger(*window, "aPlay");
    EXPECT_EQ(window->StatusText(), "Play Track03");
    recorder_.Hold(false);
    ASSERT_TRUE(UntilIdle(*window));
    const std::vector<std::string> takes = recorder_.Takes();
    ASSERT_EQ(takes.size(), 2u);
    EXPECT_TRUE(takes[0].empty()) << "the first play was held, then ended";
    EXPECT_TRUE(takes[1] == Track(2));
}

TEST_F(PlaybackTest, PlayWhilePausedResumesThePausedTrack)
{
    const auto window = StartWithDisc();
    recorder_.Hold(true); // the window still answers while the output waits
    Select(*window, 1);
    Trigger(*window, "aPlay");
    Trigger(*window, "aPause");
    Idle();
    EXPECT_FALSE(Child<QAction>(*window, "aPause").isEnabled());
    EXPECT_TRUE(Child<QAction>(*window, "aStop").isEnabled());
    Select(*window, 3);
    Trigger(*window, "aPlay");
    EXPECT_EQ(window->StatusText(), "Play Track04");
    recorder_.Hold(false);
    ASSERT_TRUE(UntilIdle(*window));
    EXPECT_TRUE(recorder_.Takes() == std::vector<std::string>{Track(1)});
}

TEST_F(PlaybackTest, StopEndsDeliveryAndPutsTheStatusBack)
{
    const auto window = StartWithDisc();
    recorder_.Hold(true);
    Select(*window, 1);
    Trigger(*window, "aPlay");
    Trigger(*window, "aStop");
    EXPECT_EQ(window->StatusText(), idle_);
    recorder_.Hold(false);
    QTest::qWait(200);
    ASSERT_EQ(recorder_.Takes().size(), 1u);
    EXPECT_LT(recorder_.Takes()[0].size(), Track(1).size());
    Idle();
    EXPECT_FALSE(Child<QAction>(*window, "aStop").isEnabled());
}

TEST_F(PlaybackTest, RippingStopsPlaybackFirst)
{
    const auto window = StartWithDisc();
    OptionsSetting.CommonOptions.OutputFormat = 1; // WAV: the rip window closes by itself
    recorder_.Hold(true);
    Select(*window, 1);
    Trigger(*window, "aPlay");
    Trigger(*window, "aRip");
    EXPECT_EQ(window->StatusText(), idle_);
    Idle();
    EXPECT_FALSE(Child<QAction>(*window, "aStop").isEnabled());
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(outputFolder_) / "Track04.wav"));
    recorder_.Hold(false);
}

// A sound output that cannot be opened ends the play at once: the status bar says why and the
// commands are as before it.
TEST_F(PlaybackTest, AnOutputThatCannotOpenIsToldAndPlaybackIsIdleAgain)
{
    const auto window = StartWithDisc();
    recorder_.RefuseOpening("the device is busy");
    Select(*window, 1);
    Trigger(*window, "aPlay");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window->statusBar()->currentMessage() == "Cannot play: the device is busy"; },
        10'000))
        << window->statusBar()->currentMessage().toStdString();
    EXPECT_EQ(window->StatusText(), idle_);
    Idle();
    EXPECT_FALSE(Child<QAction>(*window, "aStop").isEnabled());
    EXPECT_FALSE(Child<QAction>(*window, "aPause").isEnabled());
    EXPECT_TRUE(Child<QAction>(*window, "aPlay").isEnabled());
    EXPECT_TRUE(recorder_.Takes().empty());
}

// Another disc ends what was played of the one before, and the status is the new disc's.
TEST_F(PlaybackTest, AnotherDiscEndsPlayback)
{
    const auto window = StartWithDisc();
    recorder_.Hold(true);
    Select(*window, 1);
    Trigger(*window, "aPlay");
    OpenAudioImage(*window, "other", {40});
    EXPECT_FALSE(window->StatusText().startsWith("Play ")) << window->StatusText().toStdString();
    Idle();
    EXPECT_FALSE(Child<QAction>(*window, "aStop").isEnabled());
    EXPECT_FALSE(Child<QAction>(*window, "aPause").isEnabled());
    recorder_.Hold(false);
    QTest::qWait(200);
    // The play may have ended before its output was opened.
    EXPECT_LE(recorder_.Takes().size(), 1u);
    for (const std::string& take : recorder_.Takes())
        EXPECT_LT(take.size(), Track(1).size()) << "the play was ended";
}

TEST_F(PlaybackTest, TheTrayCommandsDoNothingVisibleWithoutATray)
{
    for (const bool withDisc : {true, false}) {
        StoreSettings(withDisc ? AudioImage("disc", {20}) : 99);
        const auto window = Start(recorder_.Factory());
        const QString status = window->StatusText();
        Trigger(*window, "EjectCDRom1");
        Trigger(*window, "CloseCDROM1");
        Idle();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(window->StatusText(), status);
    }
}

} // namespace
} // namespace corvath::ui::test
