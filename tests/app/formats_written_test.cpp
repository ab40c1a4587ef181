#include "app/formats_written.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

TEST(FormatsWritten, TheSettingNamesOtherFormatsInTableOrder)
{
    using enum OutputFormat;
    struct Case {
        const char* list;
        OutputFormat main;
        std::vector<OutputFormat> formats;
    };
    for (const Case& c : {
             Case{"", FLAC, {}}, Case{"opus,mp3", FLAC, {MP3, OPUS}},
             Case{"flac,mp3,mp3", FLAC, {MP3}}, // not the main one, nor one twice
             Case{"wav,aiff,,ogg", MP3, {OGG}}, // no WAV, nothing unknown
             Case{"MP3", FLAC, {}},             // extensions as the command line takes them
         }) {
        EXPECT_EQ(AlsoWrittenFormats(c.list, c.main), c.formats) << c.list;
    }
    EXPECT_EQ(ExtensionList(std::vector<OutputFormat>{MP3, OPUS}), "mp3,opus");
    EXPECT_EQ(AlsoWrittenFormats(ExtensionList(std::vector<OutputFormat>{OGG, APE}), WAV),
              (std::vector<OutputFormat>{OGG, APE}));
}

} // namespace
} // namespace corvath
