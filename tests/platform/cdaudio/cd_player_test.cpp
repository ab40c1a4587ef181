#include "platform/cdaudio/cd_player.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/cd_records.h"
#include "support/disc_image.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

namespace corvath {
namespace {

using namespace std::chrono_literals;

const std::string kRefusal = "the device is busy";

// Generous: only there to fail instead of hanging.
constexpr auto kPatience = 10s;
// How long a test watches for something that must not happen.
constexpr auto kQuietSpell = 200ms;

// Ends the test program when a test outlives its patience, so that a call that blocks fails.
class Watchdog {
public:
    Watchdog()
        : thread_([this] {
              std::unique_lock lock(mutex_);
              if (!wake_.wait_for(lock, 3 * kPatience, [this] { return done_; })) {
                  std::cerr << "the test hung\n";
                  std::abort();
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};

// What the player delivered, one entry per output it made. Writes may be held back: each takes
// one permit, and waits for one while none is left (or until its output is aborted).
class Sink {
public:
    struct Output {
        std::vector<uint8_t> bytes;
        bool writing = false; // blocked in a write for want of a permit
        bool aborted = false;
        bool destroyed = false;
    };

    std::unique_ptr<AudioOutput> Make();

    void SetPermits(std::size_t permits)
    {
        const std::lock_guard lock(mutex_);
        permits_ = permits;
        changed_.notify_all();
    }
    void SetOpens(bool opens) { opens_ = opens; }

    // Waits until the predicate holds for the outputs; false when the time ran out.
    template <typename Predicate>
    bool WaitFor(Predicate predicate, std::chrono::milliseconds time = kPatience)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, time, [&] { return predicate(outputs_); });
    }

    // Copies of the outputs as they are now.
    std::vector<Output> Outputs()
    {
        const std::lock_guard lock(mutex_);
        return outputs_;
    }

private:
    class Recorder;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Output> outputs_;
    std::size_t permits_ = SIZE_MAX;
    std::atomic<bool> opens_{true};
};

class Sink::Recorder final : public AudioOutput {
public:
    Recorder(Sink& sink, std::size_t index) : sink_(sink), index_(index) {}
    ~Recorder() override
    {
        const std::lock_guard lock(sink_.mutex_);
        sink_.outputs_[index_].destroyed = true;
        sink_.changed_.notify_all();
    }

    std::string Open() override { return sink_.opens_ ? std::string() : kRefusal; }

    bool Write(const uint8_t* bytes, std::size_t size) override
    {
        std::unique_lock lock(sink_.mutex_);
        Output& output = sink_.outputs_[index_];
        output.writing = true;
        sink_.changed_.notify_all();
        sink_.changed_.wait(lock, [&] { return sink_.permits_ > 0 || output.aborted; });
        output.writing = false;
        if (output.aborted)
            return false;
        --sink_.permits_;
        output.bytes.insert(output.bytes.end(), bytes, bytes + size);
        sink_.changed_.notify_all();
        return true;
    }

    void Abort() override
    {
        const std::lock_guard lock(sink_.mutex_);
        sink_.outputs_[index_].aborted = true;
        sink_.changed_.notify_all();
    }

private:
    Sink& sink_;
    std::size_t index_;
};

std::unique_ptr<AudioOutput> Sink::Make()
{
    const std::lock_guard lock(mutex_);
    outputs_.emplace_back();
    return std::make_unique<Recorder>(*this, outputs_.size() - 1);
}

// Counts completions and keeps the threads they ran on and the last failure told.
class Completions {
public:
    CdPlayer::Completion Callback()
    {
        return [this](const std::string& failure) {
            const std::lock_guard lock(mutex_);
            ++count_;
            thread_ = std::this_thread::get_id();
            failure_ = failure;
            changed_.notify_all();
        };
    }
    bool WaitForOne()
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [this] { return count_ > 0; });
    }
    int Count()
    {
        const std::lock_guard lock(mutex_);
        return count_;
    }
    std::thread::id Thread()
    {
        const std::lock_guard lock(mutex_);
        return thread_;
    }
    std::string Failure()
    {
        const std::lock_guard lock(mutex_);
        return failure_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
    std::thread::id thread_;
    std::string failure_;
};

constexpr std::size_t kReadBytes = 10 * kCdSectorBytes; // one read of the player

bool AllDestroyed(const std::vector<Sink::Output>& outputs)
{
    return std::ranges::all_of(outputs, &Sink::Output::destroyed);
}

class CdPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Tracks of 30, 25, 40 and 12 sectors: 25 sectors take three reads.
        const std::pair<uint32_t, uint32_t> shapes[] = {{30, 1}, {25, 2}, {40, 3}, {12, 4}};
        for (const auto& [sectors, seed] : shapes)
            tracks_.push_back({test::AudioSectors(sectors, seed), false});
        const auto image = test::WriteCueImage(dir_ / "disc", tracks_);
        ASSERT_TRUE(RegisterDiscImage(image.string()));
        const auto index = test::DriveListIndex(image);
        ASSERT_TRUE(index);
        index_ = static_cast<int32_t>(*index);
        ASSERT_TRUE(player_.Open(index_));
    }

    const std::vector<uint8_t>& Track(int track) const
    {
        return tracks_[static_cast<std::size_t>(track - 1)].sectors;
    }

    // Waits until the player's outputs are all gone, the sign that its plays ended.
    bool WaitUntilIdle(std::size_t outputs)
    {
        return sink_.WaitFor(
            [&](const auto& all) { return all.size() == outputs && AllDestroyed(all); });
    }

    // Waits until the play of output number `outputs` is blocked in a write after `writes`
    // writes.
    bool WaitForBlockedWrite(std::size_t outputs, std::size_t writes)
    {
        return sink_.WaitFor([&](const auto& all) {
            return all.size() == outputs && all.back().writing &&
                   all.back().bytes.size() == writes * kReadBytes;
        });
    }

    Watchdog watchdog_;
    test::TempDir dir_;
    std::vector<test::ImageTrack> tracks_;
    int32_t index_ = -1;
    Sink sink_;
    Completions completions_;
    CdPlayer player_{[this] { return sink_.Make(); }};
};

TEST_F(CdPlayerTest, PlaysOneTrackExactlyAndCompletesOnce)
{
    EXPECT_EQ(player_.TrackCount(), 4);
    ASSERT_TRUE(player_.Play(2, 3, completions_.Callback()));
    ASSERT_TRUE(completions_.WaitForOne());
    ASSERT_TRUE(WaitUntilIdle(1));
    EXPECT_EQ(sink_.Outputs()[0].bytes, Track(2));
    EXPECT_EQ(completions_.Count(), 1);
    EXPECT_EQ(completions_.Failure(), "") << "played to its end";
    EXPECT_NE(completions_.Thread(), std::this_thread::get_id());
    EXPECT_FALSE(player_.Pause()) << "nothing plays any more";
}

TEST_F(CdPlayerTest, PlaysTheLastTrackToTheEndOfTheDisc)
{
    ASSERT_TRUE(player_.Play(4, std::nullopt, completions_.Callback()));
    ASSERT_TRUE(completions_.WaitForOne());
    ASSERT_TRUE(WaitUntilIdle(1));
    EXPECT_EQ(sink_.Outputs()[0].bytes, Track(4));
}

TEST_F(CdPlayerTest, PlaysFromOneTrackToAnother)
{
    ASSERT_TRUE(player_.Play(2, 4, completions_.Callback()));
    ASSERT_TRUE(completions_.WaitForOne());
    std::vector<uint8_t> expected = Track(2);
    expected.insert(expected.end(), Track(3).begin(), Track(3).end());
    ASSERT_TRUE(WaitUntilIdle(1));
    EXPECT_EQ(sink_.Outputs()[0].bytes, expected);
}

TEST_F(CdPlayerTest, RefusesTracksOutOfRange)
{
    EXPECT_FALSE(player_.Play(0, std::nullopt, {}));
    EXPECT_FALSE(player_.Play(5, std::nullopt, {}));
    EXPECT_FALSE(player_.Play(2, 2, {}));
    EXPECT_FALSE(player_.Play(2, 5, {}));
    EXPECT_TRUE(sink_.Outputs().empty());
}

TEST_F(CdPlayerTest, ANewPlayRestartsAtItsTrack)
{
    Completions first;
    sink_.SetPermits(1);
    ASSERT_TRUE(player_.Play(1, std::nullopt, first.Callback()));
    ASSERT_TRUE(WaitForBlockedWrite(1, 1));
    ASSERT_TRUE(player_.Play(3, 4, completions_.Callback()));
    sink_.SetPermits(SIZE_MAX);
    ASSERT_TRUE(completions_.WaitForOne());
    ASSERT_TRUE(WaitUntilIdle(2));
    const auto outputs = sink_.Outputs();
    EXPECT_TRUE(outputs[0].aborted);
    EXPECT_EQ(outputs[0].bytes,
              std::vector<uint8_t>(Track(1).begin(), Track(1).begin() + kReadBytes));
    EXPECT_EQ(outputs[1].bytes, Track(3));
    EXPECT_EQ(first.Count(), 0);
    EXPECT_EQ(completions_.Count(), 1);
}

TEST_F(CdPlayerTest, PauseHoldsDeliveryAndResumeContinues)
{
    sink_.SetPermits(1);
    ASSERT_TRUE(player_.Play(3, 4, completions_.Callback()));
    ASSERT_TRUE(WaitForBlockedWrite(1, 1));
    ASSERT_TRUE(player_.Pause());
    EXPECT_FALSE(player_.Play(9, std::nullopt, {})) << "a refused play leaves the pause alone";
    // The write under way was read before the pause; nothing after it comes.
    sink_.SetPermits(SIZE_MAX);
    ASSERT_TRUE(
        sink_.WaitFor([](const auto& all) { return all[0].bytes.size() == 2 * kReadBytes; }));
    EXPECT_FALSE(sink_.WaitFor(
        [](const auto& all) { return all[0].bytes.size() > 2 * kReadBytes || all[0].writing; },
        kQuietSpell))
        << "delivered while paused";
    EXPECT_EQ(completions_.Count(), 0);

    ASSERT_TRUE(player_.Resume());
    EXPECT_FALSE(player_.Resume()) << "no longer paused";
    ASSERT_TRUE(completions_.WaitForOne());
    ASSERT_TRUE(WaitUntilIdle(1));
    EXPECT_EQ(sink_.Outputs()[0].bytes, Track(3));
}

TEST_F(CdPlayerTest, PauseTwiceResumes)
{
    sink_.SetPermits(0);
    ASSERT_TRUE(player_.Play(1, 2, completions_.Callback()));
    ASSERT_TRUE(player_.Pause());
    ASSERT_TRUE(player_.Pause());
    sink_.SetPermits(SIZE_MAX);
    ASSERT_TRUE(completions_.WaitForOne());
    ASSERT_TRUE(WaitUntilIdle(1));
    EXPECT_EQ(sink_.Outputs()[0].bytes, Track(1));
}

TEST_F(CdPlayerTest, StopEndsDeliveryWithoutCompletion)
{
    sink_.SetPermits(1);
    ASSERT_TRUE(player_.Play(1, std::nullopt, completions_.Callback()));
    ASSERT_TRUE(WaitForBlockedWrite(1, 1));
    ASSERT_TRUE(player_.Stop());
    sink_.SetPermits(SIZE_MAX);
    ASSERT_TRUE(WaitUntilIdle(1));
    const auto outputs = sink_.Outputs();
    EXPECT_TRUE(outputs[0].aborted);
    EXPECT_EQ(outputs[0].bytes.size(), kReadBytes);
    EXPECT_EQ(completions_.Count(), 0);
    EXPECT_FALSE(player_.Pause());
    EXPECT_FALSE(player_.Resume());
    EXPECT_TRUE(player_.Stop()) << "the disc is still open";
}

TEST_F(CdPlayerTest, CallsReturnWhileTheOutputBlocks)
{
    sink_.SetPermits(0);
    ASSERT_TRUE(player_.Play(1, std::nullopt, completions_.Callback()));
    ASSERT_TRUE(WaitForBlockedWrite(1, 0));
    EXPECT_TRUE(player_.Pause());
    EXPECT_TRUE(player_.Resume());
    ASSERT_TRUE(player_.Play(2, std::nullopt, completions_.Callback()));
    ASSERT_TRUE(WaitForBlockedWrite(2, 0));
    EXPECT_TRUE(player_.Stop());
    player_.Close();
    EXPECT_FALSE(player_.IsOpen());
    EXPECT_EQ(player_.TrackCount(), 0);
    EXPECT_FALSE(player_.Stop());
    ASSERT_TRUE(WaitUntilIdle(2));
    EXPECT_EQ(completions_.Count(), 0);
}

TEST_F(CdPlayerTest, TheDestructorEndsABlockedPlay)
{
    Sink sink;
    sink.SetPermits(0);
    {
        CdPlayer player([&] { return sink.Make(); });
        ASSERT_TRUE(player.Open(index_));
        ASSERT_TRUE(player.Play(1, std::nullopt, completions_.Callback()));
        ASSERT_TRUE(sink.WaitFor([](const auto& all) { return !all.empty() && all[0].writing; }));
    }
    const auto outputs = sink.Outputs();
    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_TRUE(outputs[0].destroyed);
    EXPECT_EQ(completions_.Count(), 0);
}

// A play whose output cannot be had ends, and its owner hears why: it would otherwise wait for
// an end that never comes.
TEST_F(CdPlayerTest, APlayWithoutAUsableOutputEndsAndTellsWhy)
{
    sink_.SetOpens(false);
    const std::pair<AudioOutputFactory, std::string> cases[] = {
        {[this] { return sink_.Make(); }, kRefusal},
        {[] { return std::unique_ptr<AudioOutput>(); }, "there is no sound output"},
        {[]() -> std::unique_ptr<AudioOutput> { throw std::runtime_error("out of voices"); },
         "out of voices"},
    };
    for (const auto& [make, failure] : cases) {
        Completions completions;
        CdPlayer player(make);
        ASSERT_TRUE(player.Open(index_));
        ASSERT_TRUE(player.Play(2, std::nullopt, completions.Callback()));
        ASSERT_TRUE(completions.WaitForOne()) << failure;
        EXPECT_EQ(completions.Failure(), failure);
        EXPECT_FALSE(player.Pause()) << "nothing plays any more";
    }
    ASSERT_TRUE(WaitUntilIdle(1));
    EXPECT_TRUE(sink_.Outputs()[0].bytes.empty());
}

TEST_F(CdPlayerTest, ReopeningPlaysTheDiscAgain)
{
    ASSERT_TRUE(player_.Open(index_));
    ASSERT_TRUE(player_.Play(2, 3, completions_.Callback()));
    ASSERT_TRUE(completions_.WaitForOne());
    ASSERT_TRUE(WaitUntilIdle(1));
    EXPECT_EQ(sink_.Outputs()[0].bytes, Track(2));
}

TEST(CdPlayerClosedTest, NothingOpenRefusesEverything)
{
    Watchdog watchdog;
    Sink sink;
    CdPlayer player([&] { return sink.Make(); });
    EXPECT_FALSE(player.IsOpen());
    EXPECT_EQ(player.TrackCount(), 0);
    EXPECT_FALSE(player.Play(1, std::nullopt, {}));
    EXPECT_FALSE(player.Pause());
    EXPECT_FALSE(player.Resume());
    EXPECT_FALSE(player.Stop());
    EXPECT_FALSE(player.Open(-1));
    EXPECT_FALSE(player.Open(kCdMaxDrives));
    EXPECT_TRUE(sink.Outputs().empty());
}

TEST(CdTrayTest, ImagesAndMissingEntriesHaveNoTray)
{
    test::TempDir dir;
    const auto image = test::WriteCueImage(dir / "tray", {{test::AudioSectors(5, 9), false}});
    ASSERT_TRUE(RegisterDiscImage(image.string()));
    const auto index = test::DriveListIndex(image);
    ASSERT_TRUE(index);
    const std::string noTray = image.string() + " is a disc image, which has no tray.";
    EXPECT_FALSE(EjectTray(static_cast<int32_t>(*index)));
    EXPECT_EQ(GetCdLastErrorText(), noTray);
    EXPECT_FALSE(CloseTray(static_cast<int32_t>(*index)));
    EXPECT_EQ(GetCdLastErrorText(), noTray);
    EXPECT_FALSE(EjectTray(-1));
    EXPECT_EQ(GetCdLastErrorText(), "There is no such CD drive.");
    EXPECT_FALSE(CloseTray(kCdMaxDrives));
    EXPECT_EQ(GetCdLastErrorText(), "There is no such CD drive.");
}

TEST(SoundCardOutputTest, OpensOrRefusesWithoutHanging)
{
    Watchdog watchdog;
    const std::unique_ptr<AudioOutput> output = MakeSoundCardOutput();
    const std::vector<uint8_t> frames(4 * 4096, 0);
    if (output->Open().empty())
        EXPECT_TRUE(output->Write(frames.data(), frames.size()));
    else
        EXPECT_FALSE(output->Write(frames.data(), frames.size()));
    output->Abort();
    EXPECT_FALSE(output->Write(frames.data(), frames.size()));
}

} // namespace
} // namespace corvath
