#include "platform/profile/profile_document.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace corvath {
namespace {

TEST(ProfileDocument, MatchesNamesWithoutCaseAndDropsBlanks)
{
    const auto file = ProfileDocument::Parse("\xEF\xBB\xBF  [Common Options]  \r\n"
                                             "  OutputFolder =  /music/out  \r\n"
                                             "Empty=\r\n");
    EXPECT_EQ(file.ReadString("common options", "OUTPUTFOLDER", "x"), "/music/out");
    EXPECT_EQ(file.ReadString(" Common Options ", " outputfolder ", "x"), "/music/out");
    EXPECT_EQ(file.ReadString("Common Options", "Empty", "x"), "");
    EXPECT_EQ(file.ReadString("Common Options", "Missing", "x"), "x");
    EXPECT_EQ(file.ReadString("Missing", "OutputFolder", "x"), "x");
}

TEST(ProfileDocument, FirstOfDuplicateSectionsAndKeysCounts)
{
    auto file = ProfileDocument::Parse("[A]\nk=1\nk=2\n[a]\nk=3\nother=4\n");
    EXPECT_EQ(file.ReadString("A", "k", ""), "1");
    EXPECT_EQ(file.ReadString("A", "other", "none"), "none");

    file.WriteString("a", "K", "9");
    EXPECT_EQ(file.Serialize(), "[A]\nk=9\nk=2\n[a]\nk=3\nother=4\n");
}

TEST(ProfileDocument, ReadsIntegersAndBooleansTheSettingsWay)
{
    const auto file =
        ProfileDocument::Parse("[S]\ndec=-42\nhex=$1F\nchex=0x10\nneg=$FFFFFFFF\n"
                               "bad=12abc\nbig=2147483648\nzerox=0x\nbool=2\nnobool=0\n");
    EXPECT_EQ(file.ReadInteger("S", "dec", 7), -42);
    EXPECT_EQ(file.ReadInteger("S", "hex", 7), 31);
    EXPECT_EQ(file.ReadInteger("S", "chex", 7), 16);
    EXPECT_EQ(file.ReadInteger("S", "neg", 7), -1);
    EXPECT_EQ(file.ReadInteger("S", "bad", 7), 7);
    EXPECT_EQ(file.ReadInteger("S", "big", 7), 7);
    EXPECT_EQ(file.ReadInteger("S", "zerox", 7), 7);
    EXPECT_EQ(file.ReadInteger("S", "missing", 7), 7);
    EXPECT_TRUE(file.ReadBool("S", "bool", false));
    EXPECT_FALSE(file.ReadBool("S", "nobool", true));
    EXPECT_TRUE(file.ReadBool("S", "missing", true));
    EXPECT_FALSE(file.ReadBool("S", "bad", false));

    EXPECT_EQ(ParseProfileInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseProfileInteger("2147483647"), INT32_MAX);
    EXPECT_EQ(ParseProfileInteger("-2147483649"), std::nullopt);
    EXPECT_EQ(ParseProfileInteger("$100000000"), std::nullopt);
    EXPECT_EQ(ParseProfileInteger(""), std::nullopt);
    EXPECT_EQ(ParseProfileInteger("-"), std::nullopt);
}

TEST(ProfileDocument, WritingOneKeyKeepsEverythingElse)
{
    const std::string original = "; settings\r\n"
                                 "stray line before sections\r\n"
                                 "[First]\r\n"
                                 "a = 1\r\n"
                                 "garbage without equals\r\n"
                                 "; comment inside\r\n"
                                 "\r\n"
                                 "[Second]\r\n"
                                 "b=2";
    auto file = ProfileDocument::Parse(original);
    file.WriteString("First", "A", "changed");
    file.WriteString("First", "new", "added");
    file.WriteString("Third", "c", "3");

    EXPECT_EQ(file.Serialize(), "; settings\r\n"
                                "stray line before sections\r\n"
                                "[First]\r\n"
                                "a=changed\r\n"
                                "new=added\r\n"
                                "garbage without equals\r\n"
                                "; comment inside\r\n"
                                "\r\n"
                                "[Second]\r\n"
                                "b=2\r\n"
                                "\r\n"
                                "[Third]\r\n"
                                "c=3\r\n");
}

TEST(ProfileDocument, AValueCannotAddLinesOrKeys)
{
    auto file = ProfileDocument::Parse("");
    file.WriteString("S", "title", "one\r\n[Evil]\ninjected=1");
    const auto reread = ProfileDocument::Parse(file.Serialize());
    EXPECT_EQ(reread.ReadString("S", "title", ""), "one  [Evil] injected=1");
    EXPECT_EQ(reread.ReadString("Evil", "injected", "none"), "none");
    EXPECT_THROW(file.WriteString("S\n[T]", "k", "v"), std::invalid_argument);
    EXPECT_THROW(file.WriteString("S", "k=v", "v"), std::invalid_argument);
    EXPECT_THROW(file.WriteString("S", std::string("k\0", 2), "v"), std::invalid_argument);
    EXPECT_THROW(file.WriteString("S\x1b", "k", "v"), std::invalid_argument);
}

// A carriage return the writer would not keep is not part of a value: saving another key, in a
// file whose first line ends with a plain line feed, changes nothing that is read.
TEST(ProfileDocument, StrayCarriageReturnsDoNotChangeAValueOnTheNextSave)
{
    auto file = ProfileDocument::Parse("[CommonOptions]\nOutputFolder=/x\r\r\nName=\r a\rb \r\n");
    EXPECT_EQ(file.ReadString("CommonOptions", "OutputFolder", ""), "/x");
    EXPECT_EQ(file.ReadString("CommonOptions", "Name", ""), "a\rb");
    file.WriteString("Other", "Key", "1");
    const auto reread = ProfileDocument::Parse(file.Serialize());
    EXPECT_EQ(reread.ReadString("CommonOptions", "OutputFolder", ""), "/x");
    EXPECT_EQ(reread.ReadString("CommonOptions", "Name", ""), "a\rb");
}

TEST(ProfileDocument, SurvivesNoiseAndStillWrites)
{
    std::mt19937 random(1234);
    std::string noise(10 * 1024 * 1024, '\0');
    for (auto& byte : noise)
        byte = static_cast<char>(random());
    auto file = ProfileDocument::Parse(noise);
    file.WriteString("Corvath", "Key", "value");
    const std::string text = file.Serialize();

    const auto reread = ProfileDocument::Parse(text);
    EXPECT_EQ(reread.ReadString("Corvath", "Key", ""), "value");
    // Only the new section (and line breaks of the last line) were added; NUL bytes, which
    // the noise has, became blanks.
    EXPECT_FALSE(file.MendedLines().empty());
    EXPECT_LE(text.size(), noise.size() + 64);
    std::replace(noise.begin(), noise.end(), '\0', ' ');
    EXPECT_EQ(text.compare(0, 1000, noise, 0, 1000), 0);
}

} // namespace
} // namespace corvath
