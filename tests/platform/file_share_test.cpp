#include "platform/files/file_share.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvath {
namespace {

constexpr FileShareMode kReadShareRead{.read = true, .othersMayRead = true};
constexpr FileShareMode kReadWriteExclusive{.read = true, .write = true};
constexpr FileShareMode kWriteShareAll{
    .write = true, .othersMayRead = true, .othersMayWrite = true};

class FileShareTest : public ::testing::Test {
protected:
    void SetUp() override { test::WriteFile(file_, "data"); }
    test::TempDir dir_;
    std::filesystem::path file_ = dir_ / "track.wav";
};

TEST_F(FileShareTest, ReadersThatShareReadingCoexist)
{
    auto first = FileShareLock::Acquire(file_, kReadShareRead);
    auto second = FileShareLock::Acquire(file_, kReadShareRead);
    EXPECT_TRUE(first && second);
    // A writer is refused while readers deny writing ...
    EXPECT_FALSE(FileShareLock::Acquire(file_, kWriteShareAll));
    // ... and so is an exclusive open.
    EXPECT_FALSE(FileShareLock::Acquire(file_, kReadWriteExclusive));
}

TEST_F(FileShareTest, ExclusiveOpenShutsOutEveryOtherAndEndsWithItsOwner)
{
    {
        auto exclusive = FileShareLock::Acquire(file_, kReadWriteExclusive);
        ASSERT_TRUE(exclusive);
        EXPECT_FALSE(FileShareLock::Acquire(file_, kReadShareRead));
        EXPECT_FALSE(FileShareLock::Acquire(file_, kWriteShareAll));
    }
    EXPECT_TRUE(FileShareLock::Acquire(file_, kReadWriteExclusive));
}

TEST_F(FileShareTest, WriterThatSharesEverythingLetsReadersInButNotDenyingOnes)
{
    auto writer = FileShareLock::Acquire(file_, kWriteShareAll);
    ASSERT_TRUE(writer);
    EXPECT_TRUE(FileShareLock::Acquire(
        file_, {.read = true, .othersMayRead = true, .othersMayWrite = true}));
    // A reader that denies writing conflicts with the writer already there.
    EXPECT_FALSE(FileShareLock::Acquire(file_, kReadShareRead));
}

TEST_F(FileShareTest, HoldsAcrossProcesses)
{
    auto exclusive = FileShareLock::Acquire(file_, kReadWriteExclusive);
    ASSERT_TRUE(exclusive);
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(FileShareLock::Acquire(file_, kReadShareRead) ? 1 : 0);
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other process got in";
}

} // namespace
} // namespace corvath
