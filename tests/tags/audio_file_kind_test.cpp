#include "support/riff_bytes.h"
#include "support/temp_dir.h"
#include "tags/audio_file_kind.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

constexpr AudioFileKind kUnknown = AudioFileKind::Unknown;

std::string OggFirstPage(std::string_view packet)
{
    // 27 header bytes with one segment, its lacing value, then the packet.
    return std::string("OggS") + std::string(22, '\0') + '\x01' + static_cast<char>(packet.size()) +
           std::string(packet);
}

TEST(AudioFileKind, FirstBytesNameTheKindWhateverTheName)
{
    const test::TempDir dir;
    struct Case {
        std::string bytes;
        AudioFileKind kind;
    };
    const std::string asfGuid("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C",
                              16);
    for (const Case& c : {
             Case{"RIFF" + test::Le32(4) + "WAVE", AudioFileKind::Wav},
             Case{"RIFF" + test::Le32(4) + "AVI ", kUnknown},
             Case{"ID3\x04", AudioFileKind::Mp3},
             Case{"\xFF\xFB\x90\x64", AudioFileKind::Mp3},
             Case{"\xFF\xE0\x00\x00", kUnknown}, // the reserved layer
             Case{asfGuid + "more", AudioFileKind::Wma},
             Case{"fLaC", AudioFileKind::Flac},
             Case{OggFirstPage("\x01vorbis"), AudioFileKind::OggVorbis},
             Case{OggFirstPage("OpusHead"), AudioFileKind::Opus},
             Case{OggFirstPage("\x7F"
                               "FLAC"),
                  kUnknown},
             Case{"OggS", kUnknown},
             Case{"MAC \x96\x0F", AudioFileKind::Ape},
             Case{"", kUnknown},
             Case{"text", kUnknown},
         }) {
        const auto file = dir / "file.data";
        test::WriteFile(file, c.bytes);
        EXPECT_EQ(AudioFileKindOf(file.string()), c.kind) << c.bytes;
    }
    EXPECT_EQ(AudioFileKindOf((dir / "missing").string()), kUnknown);
    EXPECT_EQ(AudioFileKindOf(dir.path().string()), kUnknown) << "a folder";
}

TEST(AudioFileKind, ExtensionsComeFirstButOggNamesOnlyTheContainer)
{
    const test::TempDir dir;
    struct Case {
        std::string name;
        AudioFileKind kind;
    };
    for (const Case& c : {
             Case{"a.mp3", AudioFileKind::Mp3},
             Case{"a.WAV", AudioFileKind::Wav},
             Case{"a.Wma", AudioFileKind::Wma},
             Case{"a.asf", AudioFileKind::Wma},
             Case{"a.flac", AudioFileKind::Flac},
             Case{"a.APE", AudioFileKind::Ape},
             Case{"a.ogg", AudioFileKind::Opus},
             Case{"a.opus", AudioFileKind::Opus},
             Case{"a.mp3.part", AudioFileKind::Opus},
         }) {
        const auto file = dir / c.name;
        test::WriteFile(file, OggFirstPage("OpusHead"));
        EXPECT_EQ(AudioFileKindOf(file.string()), c.kind) << c.name;
    }
}

} // namespace
} // namespace corvath
