#include "main_window_harness.h"
#include "support/disc_image.h"

#include <QAction>
#include <QApplication>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <condition_variable>
#include <mutex>

namespace corvath::ui::test {
namespace {

// The sound card of these tests: each play's output records what it is given, as one take.
// While held, a write waits until the hold is released or the output is aborted.
class Recorder {
public:
    AudioOutputFactory Factory()
    {
        return [shared = shared_] { return std::make_unique<Output>(shared); };
    }

    std::vector<std::string> Takes() const
    {
        const std::lock_guard lock(shared_->mutex);
        return shared_->takes;
    }

    void Hold(bool held)
    {
        {
            const std::lock_guard lock(shared_->mutex);
            shared_->held = held;
        }
        shared_->changed.notify_all();
    }

private:
    struct Shared {
        mutable std::mutex mutex;
        std::condition_variable changed;
        bool held = false;
        std::vector<std::string> takes;
    };

    class Output : public AudioOutput {
    public:
        explicit Output(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

        bool Open() override
        {
            const std::lock_guard lock(shared_->mutex);
            take_ = shared_->takes.size();
            shared_->takes.emplace_back();
            return true;
        }
        bool Write(const uint8_t* bytes, std::size_t size) override
        {
            std::unique_lock lock(shared_->mutex);
            shared_->changed.wait(lock, [&] { return !shared_->held || aborted_; });
            if (aborted_)
                return false;
            shared_->takes[take_].append(reinterpret_cast<const char*>(bytes), size);
            return true;
        }
        void Abort() override
        {
            {
                const std::lock_guard lock(shared_->mutex);
                aborted_ = true;
            }
            shared_->changed.notify_all();
        }

    private:
        std::shared_ptr<Shared> shared_;
        std::size_t take_ = 0;
        bool aborted_ = false;
    };

    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};

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
    Recorder recorder_;
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

TEST_F(PlaybackTest, WithoutASoundCardPlayShowsTheTitleAndStopPutsTheStatusBack)
{
    StoreSettings(AudioImage("disc", {20, 30}));
    struct NoDevice : AudioOutput {
        bool Open() override { return false; }
        bool Write(const uint8_t*, std::size_t) override { return false; }
        void Abort() override {}
    };
    const auto window = Start([] { return std::make_unique<NoDevice>(); });
    const QString idle = window->StatusText();
    Select(*window, 0);
    Trigger(*window, "aPlay");
    EXPECT_EQ(window->StatusText(), "Play Track01");
    Idle();
    EXPECT_TRUE(Child<QAction>(*window, "aStop").isEnabled()) << "a failed start still plays";
    Trigger(*window, "aStop");
    EXPECT_EQ(window->StatusText(), idle);
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
