#include "audio/model/au_exception.h"
#include "audio/wave/wave_in.h"
#include "codecs/ape/ape_compress.h"
#include "codecs/ape/mac_library.h"
#include "codecs/ape/mac_out.h"
#include "platform/files/program_folder.h"
#include "support/audio_tools.h"
#include "support/file_size_limit.h"
#include "support/run_command.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

namespace corvath {
namespace {

using std::filesystem::path;
using test::Quoted;
using test::RunCommand;
using test::WaveData;

// The sample bytes ffmpeg decodes the file to, in the raw format given ("s16le", "u8", ...).
std::string Decoded(const path& file, const std::string& rawFormat)
{
    return RunCommand("ffmpeg -v error -i " + Quoted(file) + " -f " + rawFormat + " - 2>/dev/null");
}

// The compression level recorded in the file's header.
int HeaderLevel(const path& file)
{
    const std::string bytes = test::ReadFile(file);
    if (bytes.size() < 54)
        return -1;
    return static_cast<uint8_t>(bytes[52]) | static_cast<uint8_t>(bytes[53]) << 8;
}

// What the fake source delivers: byte i is i mod 251.
std::string CountingBytes(std::size_t count)
{
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<char>(i % 251);
    return bytes;
}

std::size_t OpenFileCount()
{
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(fds), end(fds)));
}

// A fake source that notes the size of every block it hands out.
class RecordingSource : public test::FakeSource {
public:
    using FakeSource::FakeSource;

    AudioChunk ReadData(uint32_t wanted) override
    {
        const AudioChunk chunk = FakeSource::ReadData(wanted);
        std::lock_guard lock(readsLock_);
        reads_.push_back(chunk.bytes);
        return chunk;
    }
    std::vector<uint32_t> Reads()
    {
        std::lock_guard lock(readsLock_);
        return reads_;
    }

private:
    std::mutex readsLock_;
    std::vector<uint32_t> reads_;
};

class MacOutTest : public test::AudioRunFixture {
protected:
    void SetUp() override
    {
        AudioRunFixture::SetUp();
        ASSERT_TRUE(MacLibrary().Load()) << MacLibrary().NotLoadedMessage();
        if (!test::HaveTool("ffmpeg") || !test::HaveTool("sox"))
            GTEST_SKIP() << "sox makes the input files and ffmpeg decodes the output";
        out_ = MakeComponent<TMACOut>();
        fake_ = MakeComponent<RecordingSource>();
    }
    void TearDown() override
    {
        out_.reset();
        fake_.reset();
        AudioRunFixture::TearDown();
    }

    path Sox(uint32_t bits, uint32_t channels, const std::string& seconds)
    {
        const path file =
            dir_ / ("in" + std::to_string(bits) + "x" + std::to_string(channels) + ".wav");
        RunCommand("sox -n -b " + std::to_string(bits) + " -c " + std::to_string(channels) +
                   " -r 44100 " + Quoted(file) + " synth " + seconds +
                   (channels == 1 ? " pinknoise" : " sine 440 whitenoise") + " 2>&1");
        return file;
    }

    std::string Encode(TAuInput& source, const path& file)
    {
        out_->SetInput(&source);
        out_->SetFileName(file.string());
        return Run(*out_);
    }

    std::string EncodeWav(const path& wav, const path& file)
    {
        const auto in = MakeComponent<TWaveIn>();
        in->SetFileName(wav.string());
        return Encode(*in, file);
    }

    Owned<TMACOut> out_;
    Owned<RecordingSource> fake_;
};

TEST(MacErrorTextTest, KnownCodesReadAsTheLibraryMeansThemOthersAsUndefined)
{
    EXPECT_EQ(MacErrorText(0), "OK");
    EXPECT_EQ(MacErrorText(1004), "input file file too large");
    EXPECT_EQ(MacErrorText(1008), "input file too small");
    EXPECT_EQ(MacErrorText(4001), "skipped...");
    EXPECT_EQ(MacErrorText(6000), "APE compress too much data");
    EXPECT_EQ(MacErrorText(1234), "undefined (1234)");
    EXPECT_EQ(MacErrorText(-1), "undefined (-1)");
    EXPECT_STREQ(EAPEException(2000).what(), "MACDll error: insufficient memory");
}

TEST_F(MacOutTest, OnlyTheFourLevelsAreKeptAndNothingChangesWhileARunIsOn)
{
    EXPECT_EQ(out_->CompressionLevel(), 2000);
    EXPECT_EQ(out_->MaxAudioBytes(), -1);
    for (const int32_t level : {1000, 3000, 4000}) {
        out_->SetCompressionLevel(level);
        EXPECT_EQ(out_->CompressionLevel(), level);
    }
    for (const int32_t level : {2500, 5000, 0}) {
        out_->SetCompressionLevel(4000);
        out_->SetCompressionLevel(level);
        EXPECT_EQ(out_->CompressionLevel(), 2000) << level;
    }

    fake_->delay = std::chrono::milliseconds(5);
    out_->SetInput(fake_.get());
    out_->SetFileName((dir_ / "busy.ape").string());
    out_->Start();
    ASSERT_TRUE(PumpUntil([&] { return out_->IsBusy(); }));
    out_->SetCompressionLevel(3000);
    out_->SetMaxAudioBytes(1000);
    out_->StopOutput(false);
    EXPECT_EQ(out_->CompressionLevel(), 2000);
    EXPECT_EQ(out_->MaxAudioBytes(), -1);
}

TEST_F(MacOutTest, WavFilesDecodeToTheSameSamplesAtEveryLevel)
{
    const path stereo = Sox(16, 2, "2");
    for (const int32_t level : {1000, 2000, 3000, 4000}) {
        const path file = dir_ / ("stereo" + std::to_string(level) + ".ape");
        SCOPED_TRACE(file.filename().string());
        out_->SetCompressionLevel(level);
        ASSERT_EQ(EncodeWav(stereo, file), "");
        EXPECT_EQ(HeaderLevel(file), level);
        EXPECT_TRUE(Decoded(file, "s16le") == WaveData(stereo));
    }

    const path mono = Sox(8, 1, "2");
    const path file = dir_ / "mono8.ape";
    ASSERT_EQ(EncodeWav(mono, file), "");
    EXPECT_TRUE(Decoded(file, "u8") == WaveData(mono));
}

TEST_F(MacOutTest, StepsTakeWholeFramesAndAnInputEndingInsideAStepGivesWhatArrived)
{
    // 24-bit stereo: 6-byte frames, so a step reads 65532 bytes, not the buffer's 65536.
    fake_->bits = 24;
    fake_->chunkBytes = 1 << 20;
    fake_->total = 2 * 65532 + 600;
    const path file = dir_ / "stereo24.ape";
    ASSERT_EQ(Encode(*fake_, file), "");
    EXPECT_EQ(fake_->Reads(), (std::vector<uint32_t>{65532, 65532, 600, 0}));
    EXPECT_TRUE(Decoded(file, "s24le") == CountingBytes(2 * 65532 + 600));
}

TEST_F(MacOutTest, RefusedStartsNameTheReasonAndLeaveNoFile)
{
    const std::size_t openBefore = OpenFileCount();
    out_->SetInput(fake_.get());
    EXPECT_EQ(Run(*out_), "File name is not assigned.");

    const path nowhere = dir_ / "missing" / "x.ape";
    EXPECT_EQ(Encode(*fake_, nowhere),
              "Cannot create file " + nowhere.string() + ": No such file or directory");

    fake_->bits = 32;
    const path wide = dir_ / "bits32.ape";
    EXPECT_EQ(Encode(*fake_, wide), "The APE encoder could not start " + wide.string() +
                                        ": input file unsupported bit depth.");
    EXPECT_FALSE(std::filesystem::exists(wide));

    fake_->bits = 16;
    fake_->channels = 3;
    const path surround = dir_ / "channels3.ape";
    EXPECT_EQ(Encode(*fake_, surround), "The APE encoder could not start " + surround.string() +
                                            ": input file unsupported channel count.");
    EXPECT_FALSE(std::filesystem::exists(surround));
    EXPECT_EQ(OpenFileCount(), openBefore);
}

TEST_F(MacOutTest, AnInputWithoutSoundFailsAtTheFinishAndLeavesNoFile)
{
    fake_->total = 0;
    const path file = dir_ / "empty.ape";
    EXPECT_EQ(Encode(*fake_, file),
              "The APE encoder could not finish " + file.string() + ": input file too small.");
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_GE(fake_->closes, fake_->opens);
}

TEST_F(MacOutTest, ABrokenInputOrAFullDiskFailsTheRunAndLeavesNoFileOpen)
{
    const path longInput = Sox(16, 2, "2");
    const path file = dir_ / "full.ape";
    const std::size_t openBefore = OpenFileCount();
    fake_->failAt = 100000;
    EXPECT_EQ(Encode(*fake_, file), "the fake broke");
    EXPECT_EQ(OpenFileCount(), openBefore);
    fake_->failAt = -1;

    {
        const test::FileSizeLimit limit(64 * 1024);
        const std::string error = EncodeWav(longInput, file);
        EXPECT_EQ(error, "Cannot write file " + file.string() + ": File too large");
    }
    EXPECT_EQ(OpenFileCount(), openBefore);

    // Less than a frame: all of it is written when the file is finished.
    fake_->total = 1000 * 4;
    {
        const test::FileSizeLimit limit(100);
        EXPECT_EQ(Encode(*fake_, file), "Cannot write file " + file.string() + ": File too large");
    }
    EXPECT_EQ(OpenFileCount(), openBefore);

    ASSERT_EQ(EncodeWav(longInput, file), "");
    EXPECT_TRUE(Decoded(file, "s16le") == WaveData(longInput));
}

// Points the binding at another library file for one test, and back.
class LibraryFileSwap {
public:
    explicit LibraryFileSwap(const std::string& fileName) : saved_(MacLibrary().FileName())
    {
        MacLibrary().Unload();
        MacLibrary().SetFileName(fileName);
        MacLibrary().Load();
    }
    ~LibraryFileSwap()
    {
        MacLibrary().Unload();
        MacLibrary().SetFileName(saved_);
        MacLibrary().Load();
    }
    LibraryFileSwap(const LibraryFileSwap&) = delete;
    LibraryFileSwap& operator=(const LibraryFileSwap&) = delete;

private:
    std::string saved_;
};

TEST_F(MacOutTest, ALibraryThatOffersNoRoomEndsTheRunInsteadOfWaiting)
{
    out_.reset();
    const LibraryFileSwap swap(ProgramFolder() + "libape_no_room_fake.so");
    ASSERT_TRUE(MacLibrary().Loaded());
    out_ = MakeComponent<TMACOut>();
    EXPECT_EQ(Encode(*fake_, dir_ / "stuck.ape"), "The APE encoder could not take the sound for " +
                                                      (dir_ / "stuck.ape").string() +
                                                      ": insufficient memory.");
    EXPECT_EQ(fake_->opens, fake_->closes);
    out_.reset();
}

void ExpectRefused(const std::string& message)
{
    try {
        MakeComponent<TMACOut>();
        ADD_FAILURE() << "constructed without the library";
    } catch (const EAuException& error) {
        EXPECT_EQ(error.what(), message);
    }
}

TEST(MacLibraryTest, IsLookedForBesideTheProgramAndWithoutItNoOutputIsMade)
{
    MacLibrary().Unload();
    ExpectRefused(ProgramFolder() + "libcorvath-ape.so library could not be loaded.");
    {
        const LibraryFileSwap swap(ProgramFolder() + "libcorvath-ape.so.missing");
        EXPECT_FALSE(MacLibrary().Loaded());
        ExpectRefused(ProgramFolder() + "libcorvath-ape.so.missing library could not be loaded.");
    }
    EXPECT_TRUE(MacLibrary().Loaded());
}

} // namespace
} // namespace corvath
