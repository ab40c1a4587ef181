#include "app/output_naming.h"
#include "codecs/output_format.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

TEST(OutputFormatTest, SettingNumbersAndExtensionsFindTheSameFormats)
{
    const auto count = static_cast<int32_t>(OutputFormats().size());
    for (int32_t number = 0; number < count; ++number) {
        const OutputFormatInfo* format = FormatByNumber(number);
        ASSERT_NE(format, nullptr) << number;
        EXPECT_EQ(static_cast<int32_t>(format->format), number);
        EXPECT_EQ(FormatByExtension(format->extension), format);
        EXPECT_EQ(&InfoOf(format->format), format);
        EXPECT_EQ(OutputFormatName(number), format->name);
    }
    EXPECT_EQ(FormatByNumber(-1), nullptr);
    EXPECT_EQ(FormatByNumber(count), nullptr);
    EXPECT_EQ(FormatByExtension("aiff"), nullptr);
    EXPECT_EQ(FormatByExtension(""), nullptr);
    EXPECT_EQ(FormatByExtension("FLAC"), nullptr) << "command lines name formats in lower case";
    EXPECT_EQ(FormatByExtension(".flac"), nullptr);
}

TEST(OutputFormatTest, TheSettingsNumberingHolds)
{
    // Stored settings files carry these numbers.
    EXPECT_EQ(FormatByExtension("mp3")->format, OutputFormat::MP3);
    EXPECT_EQ(FormatByNumber(1)->extension, "wav");
    EXPECT_EQ(FormatByNumber(3)->shownName, "WMA file(*.WMA)");
    EXPECT_EQ(FormatByNumber(5)->shownName, "APE FILE(*.APE)");
    EXPECT_EQ(FormatByNumber(6)->format, OutputFormat::OPUS);
    EXPECT_EQ(InfoOf(OutputFormat::OPUS).extension, "opus");
}

TEST(OutputFormatTest, OutputFilesGoInTheFolderWithTheFormatsExtension)
{
    EXPECT_EQ(OutputFilePath("/music", "Track01", OutputFormat::FLAC), "/music/Track01.flac");
    EXPECT_EQ(OutputFilePath("/music/", "a.b", OutputFormat::MP3), "/music/a.b.mp3");
}

} // namespace
} // namespace corvath
