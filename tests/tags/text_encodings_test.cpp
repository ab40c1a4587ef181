#include "tags/text_encodings.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

TEST(TextEncodings, Utf8IsValidOnlyAsWholeShortestSequences)
{
    struct Case {
        std::string bytes;
        bool valid;
    };
    for (const Case& c : {
             Case{"", true}, Case{"plain", true},
             Case{"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5", true},
             Case{"Caf\xE9", false},          // Latin-1
             Case{"\xC3", false},             // cut short
             Case{"\xC0\xAF", false},         // overlong "/"
             Case{"\xED\xA0\x80", false},     // a surrogate
             Case{"\xF4\x90\x80\x80", false}, // above U+10FFFF
             Case{"\xE2\x82"
                  "A",
                  false}, // a continuation missing
         }) {
        EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.bytes;
    }
}

TEST(TextEncodings, Windows1252FillsTheHighControlsWithPunctuation)
{
    EXPECT_EQ(Windows1252ToUtf8("Caf\xE9 \x80 \x93quoted\x94 \x85"), "Café € “quoted” …");
    EXPECT_EQ(Windows1252ToUtf8("\x9F\xFF"), "Ÿÿ");
    EXPECT_EQ(Windows1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D")
        << "the unassigned bytes stay as C1 controls";
    EXPECT_EQ(Windows1252ToUtf8("ascii"), "ascii");
}

} // namespace
} // namespace corvath
