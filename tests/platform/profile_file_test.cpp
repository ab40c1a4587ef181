#include "platform/profile/profile_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace corvath {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(ProfileFile, MissingFileReadsDefaultsAndSaveCreatesFolderAndFile)
{
    TempDir dir;
    const auto path = dir / "sub/folder/options.ini";
    ProfileDocument file = LoadProfile(path);
    EXPECT_EQ(file.ReadString("S", "k", "default"), "default");

    file.WriteString("S", "k", "v");
    SaveProfile(file, path);
    EXPECT_EQ(ReadFile(path), "[S]\nk=v\n");
}

TEST(ProfileFile, SaveReplacesContentAndKeepsPermissions)
{
    TempDir dir;
    const auto path = dir / "cd.dat";
    WriteFile(path, "[1]\nCDArtist=Old\n");
    ::chmod(path.c_str(), 0600);

    ProfileDocument file = LoadProfile(path);
    file.WriteString("1", "CDArtist", "New");
    SaveProfile(file, path);

    EXPECT_EQ(ReadFile(path), "[1]\nCDArtist=New\n");
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ProfileFile, RefusedWriteNamesTheFileAndLeavesTheOldOneWhole)
{
    TempDir dir;
    WriteFile(dir / "blocker", "a file where a folder should be");
    const auto impossible = dir / "blocker/options.ini";
    ProfileDocument file;
    file.WriteString("S", "k", "v");
    try {
        SaveProfile(file, impossible);
        FAIL() << "the write should have been refused";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + impossible.string());
    }

    // A folder in place of the file: refused, and the folder is untouched.
    std::filesystem::create_directory(dir / "options.ini");
    EXPECT_THROW(SaveProfile(file, dir / "options.ini"), std::runtime_error);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "options.ini"));
}

TEST(ProfileFile, ReadOnlyFileIsNotReplaced)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write any file";
    TempDir dir;
    const auto path = dir / "options.ini";
    WriteFile(path, "[S]\nk=old\n");
    ::chmod(path.c_str(), 0444);
    ProfileDocument file = LoadProfile(path);
    file.WriteString("S", "k", "new");
    EXPECT_THROW(SaveProfile(file, path), std::runtime_error);
    EXPECT_EQ(ReadFile(path), "[S]\nk=old\n");
}

TEST(ProfileFile, WritesThroughALinkToItsTarget)
{
    TempDir dir;
    WriteFile(dir / "real.ini", "[S]\nk=1\n");
    std::filesystem::create_symlink(dir / "real.ini", dir / "options.ini");
    ProfileDocument file = LoadProfile(dir / "options.ini");
    file.WriteString("S", "k", "2");
    SaveProfile(file, dir / "options.ini");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "options.ini"));
    EXPECT_EQ(ReadFile(dir / "real.ini"), "[S]\nk=2\n");
}

} // namespace
} // namespace corvath
