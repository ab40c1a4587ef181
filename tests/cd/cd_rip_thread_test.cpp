#include "cd/cd_rip_thread.h"
#include "cd/process_info.h"
#include "cd/wave_normalizer.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "platform/files/partial_file.h"
#include "support/audio_tools.h"
#include "support/disc_image.h"
#include "support/file_size_limit.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace corvath {
namespace {

namespace fs = std::filesystem;

using Progress = std::pair<int32_t, int32_t>; // a rip message's progress and status

struct Message {
    uint32_t id = 0;
    intptr_t lParam = 0;
    Progress progress{-1, -1};
    std::vector<uint32_t> doubtfulSectors;
};

// Keeps what the worker posts; onPost runs on the worker's thread as each message arrives.
class RecordingTarget : public MessageTarget {
public:
    std::function<void(const Message&)> onPost;

    void Post(uint32_t message, intptr_t, intptr_t lParam,
              std::unique_ptr<MessagePayload> payload) override
    {
        Message posted{message, lParam, {-1, -1}, {}};
        if (const auto* info = dynamic_cast<const TProcessInfo*>(payload.get())) {
            posted.progress = {info->Progress, info->Status};
            posted.doubtfulSectors = info->DoubtfulSectors;
        }
        if (onPost)
            onPost(posted);
        const std::lock_guard lock(mutex_);
        messages_.push_back(posted);
        posted_.notify_all();
    }

    // Until the rip's last message: a drive failure, its track extracted, or stopped.
    bool WaitForLast()
    {
        std::unique_lock lock(mutex_);
        return posted_.wait_for(lock, std::chrono::seconds(30), [&] {
            return std::ranges::any_of(messages_, [](const Message& message) {
                return message.id == kMsgRipDriveFailure ||
                       message.progress.first == kProgressExtracted ||
                       message.progress.first == kProgressStopped;
            });
        });
    }

    std::vector<Message> Messages() const
    {
        const std::lock_guard lock(mutex_);
        return messages_;
    }

    // The progress and status of every rip progress message, in order.
    std::vector<Progress> Progresses() const
    {
        std::vector<Progress> progresses;
        for (const Message& message : Messages()) {
            EXPECT_EQ(message.id, kMsgRipProgress);
            progresses.push_back(message.progress);
        }
        return progresses;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::vector<Message> messages_;
};

int32_t OpenImage(const fs::path& image)
{
    const int32_t handle = OpenDiscImage(image.string());
    EXPECT_NE(handle, 0) << image;
    return handle;
}

std::string Bytes(const std::vector<uint8_t>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

uint32_t Le32At(const std::string& file, std::size_t offset)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(file.data() + offset);
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// Sectors whose samples repeat the given ones.
std::vector<uint8_t> SectorsOfSamples(uint32_t sectors, const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> bytes(std::size_t{sectors} * kCdSectorBytes);
    for (std::size_t i = 0; i < bytes.size() / 2; ++i) {
        const auto sample = static_cast<uint16_t>(samples[i % samples.size()]);
        bytes[2 * i] = static_cast<uint8_t>(sample);
        bytes[2 * i + 1] = static_cast<uint8_t>(sample >> 8);
    }
    return bytes;
}

// Every case runs with plain reads and with secure reads, which must give the same results.
class CdRipThreadTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        fs::create_directory(dir_ / "out");
        options_.outputFolder = (dir_ / "out").string();
        options_.secureReads = GetParam();
    }

    void TearDown() override
    {
        for (const int32_t handle : handles_)
            CloseCDHandle(handle);
    }

    // Opens a disc image for the test; 0 when it cannot be opened.
    int32_t Open(const fs::path& image)
    {
        const int32_t handle = OpenImage(image);
        if (handle != 0)
            handles_.push_back(handle);
        return handle;
    }

    void NormaliseToHalf()
    {
        options_.normalize = true;
        options_.normalizePercent = 50;
    }

    // Rips a track until its last message.
    void Rip(int32_t handle, int32_t track, const std::string& title, RecordingTarget& target)
    {
        {
            TCDRipThread worker(track, title, handle, target, options_);
            worker_ = &worker; // for hooks, while it runs
            worker.Start();
            EXPECT_TRUE(target.WaitForLast()) << title;
        }
        worker_ = nullptr;
    }

    // The worker's WAV: under its partial name, which its receiver decides about.
    fs::path Wav(const std::string& title) const
    {
        return PartialName((dir_ / "out" / (title + ".wav")).string());
    }

    test::TempDir dir_;
    RipWaveOptions options_;
    TCDRipThread* worker_ = nullptr;
    std::vector<int32_t> handles_;
};

TEST_P(CdRipThreadTest, RipsEachTrackExactlyInReadsOfTenSectors)
{
    const std::vector<test::ImageTrack> tracks = {
        {test::AudioSectors(25, 1)}, {test::AudioSectors(7, 2)}, {test::AudioSectors(61, 3)}};
    const int32_t handle = Open(test::WriteCueImage(dir_ / "disc", tracks));
    ASSERT_NE(handle, 0);
    // A longer file an earlier rip left is replaced, not overwritten in part; the track's own
    // name is not the worker's to take.
    test::WriteFile(Wav("Track01"), std::string(200000, 'x'));
    test::WriteFile(dir_ / "out" / "Track01.wav", "an earlier rip");

    std::vector<std::vector<Progress>> progresses;
    for (int32_t track = 1; track <= 3; ++track) {
        RecordingTarget target;
        const std::string title = "Track0" + std::to_string(track);
        Rip(handle, track, title, target);
        progresses.push_back(target.Progresses());
        EXPECT_TRUE(target.Messages().back().doubtfulSectors.empty()) << title;

        const std::string file = test::ReadFile(Wav(title));
        const std::string expected = Bytes(tracks[track - 1].sectors);
        ASSERT_EQ(file.size(), 44 + expected.size()) << title;
        EXPECT_EQ(file.substr(0, 4), "RIFF");
        EXPECT_EQ(Le32At(file, 4), file.size() - 8);
        EXPECT_EQ(file.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(file.substr(36, 4), "data");
        EXPECT_EQ(Le32At(file, 40), expected.size());
        EXPECT_TRUE(test::WaveData(Wav(title)) == expected) << title << ": samples differ";
        if (test::HaveTool("soxi")) {
            // Through a pipe: sox knows the file by its header, not by its partial name.
            const std::string info =
                test::RunCommand("soxi '|cat \"" + Wav(title).string() + "\"'");
            EXPECT_NE(info.find("Channels       : 2"), std::string::npos) << info;
            EXPECT_NE(info.find("Sample Rate    : 44100"), std::string::npos) << info;
            EXPECT_NE(info.find("Precision      : 16-bit"), std::string::npos) << info;
        }
    }
    EXPECT_EQ(test::ReadFile(dir_ / "out" / "Track01.wav"), "an earlier rip");
    EXPECT_EQ(progresses[0], (std::vector<Progress>{{40, 0}, {80, 0}, {100, 0}, {1000, 0}}));
    EXPECT_EQ(progresses[1], (std::vector<Progress>{{100, 0}, {1000, 0}}));
    EXPECT_EQ(progresses[2],
              (std::vector<Progress>{
                  {16, 0}, {32, 0}, {49, 0}, {65, 0}, {81, 0}, {98, 0}, {100, 0}, {1000, 0}}));
}

TEST_P(CdRipThreadTest, AudioHiddenBeforeTheFirstTrackStaysOutOfEveryTrack)
{
    const std::vector<test::ImageTrack> tracks = {{test::AudioSectors(12, 4)},
                                                  {test::AudioSectors(9, 5)}};
    const int32_t handle = Open(test::WriteCueImage(dir_ / "hidden", tracks, 33));
    ASSERT_NE(handle, 0);
    for (int32_t track = 1; track <= 2; ++track) {
        RecordingTarget target;
        const std::string title = "Track0" + std::to_string(track);
        Rip(handle, track, title, target);
        EXPECT_EQ(target.Progresses().back(), Progress(1000, 0));
        EXPECT_TRUE(test::WaveData(Wav(title)) == Bytes(tracks[track - 1].sectors))
            << title << ": samples differ";
    }
}

// A read offset takes each track's samples that many samples further on the disc, silence
// standing in beyond its first and last sectors; offsets of a sector and more included.
TEST_P(CdRipThreadTest, AReadOffsetShiftsTheSamplesWithSilenceAtTheDiscsEdges)
{
    const std::vector<test::ImageTrack> tracks = {
        {test::AudioSectors(12, 8)}, {test::AudioSectors(9, 9)}, {test::AudioSectors(14, 10)}};
    const int32_t handle = Open(test::WriteCueImage(dir_ / "offset", tracks));
    ASSERT_NE(handle, 0);
    std::string disc;
    std::vector<std::size_t> starts;
    for (const test::ImageTrack& track : tracks) {
        starts.push_back(disc.size());
        disc += Bytes(track.sectors);
    }
    starts.push_back(disc.size());

    for (const int32_t offset : {0, 6, -6, 600, -600, 1200}) {
        options_.readOffset = offset;
        for (int32_t track = 1; track <= 3; ++track) {
            SCOPED_TRACE(std::to_string(offset) + " samples, track " + std::to_string(track));
            RecordingTarget target;
            Rip(handle, track, "Shifted", target);
            ASSERT_EQ(target.Progresses().back(), Progress(1000, 0));
            EXPECT_TRUE(target.Messages().back().doubtfulSectors.empty());
            std::string expected;
            for (std::size_t at = starts[track - 1]; at < starts[track]; ++at) {
                const auto shifted = static_cast<int64_t>(at) + int64_t{offset} * 4;
                const bool onDisc = shifted >= 0 && shifted < static_cast<int64_t>(disc.size());
                expected += onDisc ? disc[static_cast<std::size_t>(shifted)] : '\0';
            }
            EXPECT_TRUE(test::WaveData(Wav("Shifted")) == expected);
        }
    }
}

TEST_P(CdRipThreadTest, ReadFailureLeavesThePartialFileWithItsFirstHeader)
{
    const std::vector<test::ImageTrack> tracks = {{test::AudioSectors(10, 6)},
                                                  {test::AudioSectors(40, 7)}};
    const fs::path cue = test::WriteCueImage(dir_ / "cut", tracks);
    const int32_t handle = Open(cue);
    ASSERT_NE(handle, 0);
    // The TOC was read when the image opened; half of the last track is then lost.
    fs::resize_file(fs::path(cue).replace_extension(".bin"), 30 * kCdSectorBytes);

    RecordingTarget target;
    Rip(handle, 2, "Cut", target);
    EXPECT_EQ(target.Progresses(),
              (std::vector<Progress>{{25, 0}, {50, 0}, {100, 0}, {1000, kStatusReadFailed}}));
    const std::string file = test::ReadFile(Wav("Cut"));
    ASSERT_EQ(file.size(), 44 + 20 * kCdSectorBytes);
    EXPECT_EQ(Le32At(file, 4), 36u);
    EXPECT_EQ(Le32At(file, 40), 0u);
    EXPECT_TRUE(file.substr(44) == Bytes(tracks[1].sectors).substr(0, 20 * kCdSectorBytes));
}

TEST_P(CdRipThreadTest, RefusalsEndWithTheirOwnMessage)
{
    const std::vector<test::ImageTrack> tracks = {{test::AudioSectors(3, 8)}};
    const int32_t handle = Open(test::WriteCueImage(dir_ / "small", tracks));
    ASSERT_NE(handle, 0);

    // Titles that cannot name a file: a folder that does not exist, a name too long, and
    // folders that exist but would take the file out of the output folder or into another.
    fs::create_directory(dir_ / "out" / "sub");
    for (const std::string& title : {std::string("no/such/folder"), std::string(300, 'x'),
                                     std::string("../escaped"), std::string("sub/inside")}) {
        RecordingTarget target;
        Rip(handle, 1, title, target);
        EXPECT_EQ(target.Progresses(), (std::vector<Progress>{{1000, kStatusFileNotCreated}}))
            << title;
    }
    EXPECT_FALSE(fs::exists(PartialName((dir_ / "escaped.wav").string())));
    EXPECT_FALSE(fs::exists(PartialName((dir_ / "out" / "sub" / "inside.wav").string())));
    {
        RecordingTarget target; // a track the disc does not have cannot be read
        Rip(handle, 2, "Missing", target);
        EXPECT_EQ(target.Progresses(), (std::vector<Progress>{{1000, kStatusReadFailed}}));
        EXPECT_FALSE(fs::exists(Wav("Missing")));
    }
    {
        RecordingTarget target; // no drive behind the handle: the option is refused
        Rip(0, 1, "NoDrive", target);
        const std::vector<Message> messages = target.Messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].id, kMsgRipDriveFailure);
        EXPECT_EQ(messages[0].lParam, 1);
    }
}

TEST_P(CdRipThreadTest, NormalisingRoundsHalvesToEvenThroughATemporaryFile)
{
    const std::vector<int16_t> samples = {1001, -3, 3, 5, -32768, 32767, -1, 0};
    const std::vector<test::ImageTrack> tracks = {{SectorsOfSamples(3, samples)}};
    const int32_t handle = Open(test::WriteCueImage(dir_ / "loud", tracks));
    ASSERT_NE(handle, 0);
    NormaliseToHalf();

    RecordingTarget target;
    bool temporaryFileSeen = false;
    target.onPost = [&](const Message& message) {
        if (message.progress.first == 58)
            temporaryFileSeen = fs::exists(NormalizerTempFile(Wav("Loud")));
    };
    Rip(handle, 1, "Loud", target);
    // 7100 bytes: the header, then blocks of 2048 until a read finds nothing.
    EXPECT_EQ(target.Progresses(),
              (std::vector<Progress>{
                  {100, 0}, {999, 0}, {0, 0}, {29, 0}, {58, 0}, {87, 0}, {100, 0}, {1000, 0}}));
    EXPECT_TRUE(temporaryFileSeen);
    EXPECT_FALSE(fs::exists(NormalizerTempFile(Wav("Loud"))));
    const std::string file = test::ReadFile(Wav("Loud"));
    ASSERT_EQ(file.size(), 7100u);
    EXPECT_EQ(Le32At(file, 40), 3 * kCdSectorBytes);
    const std::vector<int16_t> halved = test::Samples16(file.substr(44));
    const std::vector<int16_t> expected = {500, -2, 2, 2, -16384, 16384, 0, 0};
    for (std::size_t i = 0; i < halved.size(); ++i)
        ASSERT_EQ(halved[i], expected[i % expected.size()]) << "sample " << i;
}

TEST_P(CdRipThreadTest, WriteFailuresCountAsFailedReads)
{
    const std::vector<test::ImageTrack> tracks = {{test::AudioSectors(25, 9)}};
    const int32_t handle = Open(test::WriteCueImage(dir_ / "full", tracks));
    ASSERT_NE(handle, 0);
    {
        const test::FileSizeLimit limit(5000); // the disk fills during the first write
        RecordingTarget target;
        Rip(handle, 1, "Full", target);
        EXPECT_EQ(target.Progresses(),
                  (std::vector<Progress>{{100, 0}, {1000, kStatusReadFailed}}));
    }
    // The disk fills while normalising: the ripped WAV stays as it was, the copy goes.
    NormaliseToHalf();
    std::optional<test::FileSizeLimit> limit;
    RecordingTarget target;
    target.onPost = [&](const Message& message) {
        if (message.progress.first == kProgressNormalizing)
            limit.emplace(5000);
    };
    Rip(handle, 1, "Kept", target);
    limit.reset();
    const std::vector<Progress> progresses = target.Progresses();
    EXPECT_EQ(progresses.back(), Progress(1000, kStatusReadFailed));
    EXPECT_NE(std::find(progresses.begin(), progresses.end(), Progress(999, 0)), progresses.end());
    EXPECT_TRUE(test::WaveData(Wav("Kept")) == Bytes(tracks[0].sectors));
    EXPECT_FALSE(fs::exists(dir_ / "out/Kept.nor"));
}

TEST_P(CdRipThreadTest, StopEndsAfterTheReadUnderWayWithAFinalHeader)
{
    const std::vector<test::ImageTrack> tracks = {{test::AudioSectors(25, 10)}};
    const int32_t handle = Open(test::WriteCueImage(dir_ / "stop", tracks));
    ASSERT_NE(handle, 0);
    options_.normalize = true; // a stopped rip is not normalised either

    RecordingTarget target;
    target.onPost = [&](const Message&) { worker_->SetStopFlag(); };
    Rip(handle, 1, "Stopped", target);
    EXPECT_EQ(target.Progresses(), (std::vector<Progress>{{40, 0}, {kProgressStopped, 0}}));
    const std::string file = test::ReadFile(Wav("Stopped"));
    ASSERT_EQ(file.size(), 44 + 10 * kCdSectorBytes);
    EXPECT_EQ(Le32At(file, 40), 10 * kCdSectorBytes);
    EXPECT_EQ(Le32At(file, 4), 36 + 10 * kCdSectorBytes);
    EXPECT_TRUE(file.substr(44) == Bytes(tracks[0].sectors).substr(0, 10 * kCdSectorBytes));
}

// Normalising a long track takes a while: Stop ends it before its next block.
TEST_P(CdRipThreadTest, StopWhileNormalisingKeepsTheWavAsRipped)
{
    const std::vector<test::ImageTrack> tracks = {{test::AudioSectors(200, 4)}};
    const int32_t handle = Open(test::WriteCueImage(dir_ / "norm", tracks));
    ASSERT_NE(handle, 0);
    NormaliseToHalf();

    RecordingTarget target;
    bool normalizing = false;
    target.onPost = [&](const Message& message) {
        if (std::exchange(normalizing, message.progress.first == kProgressNormalizing))
            worker_->SetStopFlag(); // as the normaliser's first block is done
    };
    Rip(handle, 1, "Norm", target);
    const std::vector<Progress> progresses = target.Progresses();
    ASSERT_GE(progresses.size(), 3u);
    EXPECT_EQ(std::vector<Progress>(progresses.end() - 3, progresses.end()),
              (std::vector<Progress>{{kProgressNormalizing, 0}, {0, 0}, {kProgressStopped, 0}}));
    EXPECT_TRUE(test::WaveData(Wav("Norm")) == Bytes(tracks[0].sectors));
    EXPECT_FALSE(fs::exists(NormalizerTempFile(Wav("Norm"))));
}

INSTANTIATE_TEST_SUITE_P(Reads, CdRipThreadTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Secure" : "Plain";
                         });

} // namespace
} // namespace corvath
