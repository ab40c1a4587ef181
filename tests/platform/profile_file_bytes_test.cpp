// What the settings files' writer writes, their reader takes: control characters in values,
// lines with NUL bytes left by older versions, and files that are no settings files at all.

#include "platform/profile/profile_file.h"
#include "support/temp_dir.h"
#include "support/utf16_text.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace corvath {
namespace {

using namespace std::string_literals;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

struct ValueCase {
    std::string written;
    std::string read;
};

bool IsControlButTabOrLineFeed(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t' && c != '\n') || byte == 0x7F;
}

TEST(ProfileFileBytes, ControlCharactersInValuesReadBackAsBlanks)
{
    const ValueCase cases[] = {
        {"nul\0byte"s, "nul byte"},
        {"\0\0leading and trailing\0"s, "leading and trailing"},
        {"bell\a escape\x1b[31m"s, "bell  escape [31m"},
        {"one\r\ntwo\rthree\nfour", "one  two three four"},
        {"tab\tkept", "tab\tkept"},
        {"del\x7f"
         "del",
         "del del"},
        {"Ça plane pour moi – 東京 ♫", "Ça plane pour moi – 東京 ♫"},
    };
    TempDir dir;
    const auto path = dir / "cd.dat";
    for (const ValueCase& c : cases) {
        ProfileDocument file;
        file.WriteString("1", "Title", c.written);
        SaveProfile(file, path);
        EXPECT_TRUE(std::ranges::none_of(ReadFile(path), IsControlButTabOrLineFeed)) << c.read;
        const ProfileDocument reread = LoadProfile(path);
        EXPECT_TRUE(reread.MendedLines().empty()) << c.read;
        EXPECT_EQ(reread.ReadString("1", "Title", "<none>"), c.read);
    }
}

// One line that holds NUL bytes, as older versions wrote them, costs no other line: it reads
// with blanks in their place, its section goes on past it, and a save leaves it mended.
TEST(ProfileFileBytes, ALineWithNulBytesIsMendedAndTheRestOfTheFileStays)
{
    TempDir dir;
    const auto path = dir / "cd.dat";
    WriteFile(path, "[1]\nCDArtist=First\n2=nul\0byte\n3=After\n[2\0]\nCDArtist=Second\n"s);
    ProfileDocument file = LoadProfile(path);
    EXPECT_EQ(file.MendedLines(), (std::vector<std::size_t>{3, 5}));
    EXPECT_EQ(file.ReadString("1", "2", ""), "nul byte");
    EXPECT_EQ(file.ReadString("1", "3", ""), "After");
    EXPECT_EQ(file.ReadString("2", "CDArtist", ""), "Second");

    file.WriteString("1", "3", "Changed");
    SaveProfile(file, path);
    EXPECT_EQ(ReadFile(path),
              "[1]\nCDArtist=First\n2=nul byte\n3=Changed\n[2 ]\nCDArtist=Second\n");
    EXPECT_TRUE(LoadProfile(path).MendedLines().empty());
}

struct MendedCase {
    std::string text;
    std::string lines; // as the note names them
};

TEST(ProfileFileBytes, TheNoteNamesTheFirstMendedLines)
{
    const MendedCase cases[] = {
        {"[S]\nk=\0\n"s, "Line 2"},
        {"[S]\r\n\0\r\nk=v\r\n\0"s, "Lines 2, 4"},
        {"[S]\n\0\n\n\0\n\n\0\n\n\0\n\n\0\n\n\0\n\n\0\n\n"s, "Lines 2, 4, 6, 8, 10 and 2 more"},
    };
    TempDir dir;
    const auto path = dir / "cd.dat";
    EXPECT_EQ(MendedLinesNote(LoadProfile(path), path), "");
    for (const MendedCase& c : cases) {
        WriteFile(path, c.text);
        EXPECT_EQ(MendedLinesNote(LoadProfile(path), path),
                  c.lines + " of " + path.string() + " held NUL bytes, read as blanks");
    }
}

// NUL bytes on most lines make some other kind of file, which a save would destroy.
TEST(ProfileFileBytes, AFileWithNulBytesOnMostLinesIsRefused)
{
    const std::string binaries[] = {
        test::Utf16LittleEndian("[S]\r\nk=v\r\n"),
        std::string(4096, '\0'),
        "k=a\0b"s,
        "\0[S]\nk=v\n\0"s,
    };
    TempDir dir;
    const auto path = dir / "options.ini";
    for (const std::string& binary : binaries) {
        WriteFile(path, binary);
        try {
            LoadProfile(path);
            ADD_FAILURE() << "read: " << binary.size() << " bytes";
        } catch (const ProfileReadError& error) {
            EXPECT_EQ(std::string(error.what()),
                      "Cannot read " + path.string() + ": it is not a text settings file");
        }
    }
}

} // namespace
} // namespace corvath
