#include "codecs/ape/mac_library.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace corvath {
namespace {

namespace fs = std::filesystem;

TEST(MacLibraryFile, TheLibraryBesideTheProgramWins)
{
    const test::TempDir root;
    fs::create_directories(root / "bin");
    fs::create_directories(root / "lib/corvath");
    test::WriteFile(root / "bin/libcorvath-ape.so", "");
    test::WriteFile(root / "lib/corvath/libcorvath-ape.so", "");

    EXPECT_EQ(MacLibraryFile(root / "bin"), root / "bin/libcorvath-ape.so");
}

TEST(MacLibraryFile, AnInstalledProgramLooksInItsPrivateLibraryFolder)
{
    const test::TempDir root;
    fs::create_directories(root / "bin");

    // Also when it is missing there: the message then names the file an installation has.
    EXPECT_EQ(MacLibraryFile(root / "bin"), root / "lib/corvath/libcorvath-ape.so");
}

TEST(MacLibraryFile, AProgramFolderWithATrailingSlashGivesTheSameFile)
{
    const test::TempDir root;
    fs::create_directories(root / "bin");

    EXPECT_EQ(MacLibraryFile((root / "bin").string() + "/"),
              root / "lib/corvath/libcorvath-ape.so");
}

} // namespace
} // namespace corvath
