// Files as other programs write them, and files broken as users have them: our reader takes
// what TagLib can give and never fails.
#include "cd/id3_tag.h"
#include "support/cover_archive.h"
#include "support/riff_bytes.h"
#include "support/run_command.h"
#include "support/tagged_files.h"
#include "tags/file_tag_reader.h"

#include <asffile.h>
#include <asftag.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

namespace corvath {
namespace {

using std::filesystem::path;
using test::Quoted;
using test::RunCommand;

std::string Be32(uint32_t value)
{
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
            static_cast<char>(value >> 8), static_cast<char>(value)};
}

// An ID3v2.3 frame and tag as older programs write them, without unsynchronisation.
std::string Id3v23Frame(std::string_view id, std::string_view body)
{
    return std::string(id) + Be32(static_cast<uint32_t>(body.size())) + std::string(2, '\0') +
           std::string(body);
}

std::string Id3v23Tag(const std::string& frames)
{
    std::string size;
    for (int shift = 21; shift >= 0; shift -= 7)
        size += static_cast<char>((frames.size() >> shift) & 0x7F);
    return std::string("ID3\x03\0\0", 6) + size + frames;
}

// A Latin-1 text frame's body; a user text frame's with its description.
std::string Latin1(std::string_view text)
{
    return '\0' + std::string(text);
}

std::string UserText(std::string_view description, std::string_view text)
{
    return '\0' + std::string(description) + '\0' + std::string(text);
}

// A RIFF chunk with the pad byte that keeps the next one at an even offset.
std::string EvenChunk(std::string_view id, std::string_view body)
{
    return test::Chunk(id, body) + std::string(body.size() % 2, '\0');
}

// A CD-quality WAV file of a few silent samples with the chunks given before its data.
std::string Wav(const std::string& chunks)
{
    const std::string body = "WAVE" + test::Chunk("fmt ", test::FmtBody(1, 2, 44100, 4, 16)) +
                             chunks + test::Chunk("data", std::string(400, '\0'));
    return test::Chunk("RIFF", body);
}

std::string InfoList(const std::string& fields)
{
    return EvenChunk("LIST", "INFO" + fields);
}

TrackRecord Record(std::string title, int track = 0, int total = 0)
{
    TrackRecord record;
    record.title = std::move(title);
    record.trackNumber = track;
    record.trackTotal = total;
    return record;
}

class FileTagReader : public test::TaggedFileFixture {
protected:
    void SetUp() override
    {
        TaggedFileFixture::SetUp();
        for (const char* tool : {"ffmpeg", "lame", "sox", "flac", "oggenc", "opusenc"}) {
            if (!test::HaveTool(tool))
                GTEST_SKIP() << tool << " is needed to make the files";
        }
    }

    path Write(const std::string& name, const std::string& bytes)
    {
        test::WriteFile(dir_ / name, bytes);
        return dir_ / name;
    }

    TrackRecord Read(const path& file) { return ReadFileTags(file.string()); }
};

TEST_F(FileTagReader, Mp3WithOnlyAnId3v1Tag)
{
    const path mp3 = LameMp3("v1.mp3", "--id3v1-only --tt Old --ta Oldie --tl Album --ty 1999 "
                                       "--tc Comment --tn 5 --tg Rock");
    TrackRecord expected = Record("Old", 5);
    expected.artist = "Oldie";
    expected.album = "Album";
    expected.date = "1999";
    expected.comment = "Comment";
    expected.genre = "Rock";
    EXPECT_EQ(Read(mp3), expected);
}

TEST_F(FileTagReader, Mp3Id3v2TagComesFirstAndItsId3v1TagFillsTheRestWhateverTheName)
{
    const path mp3 = LameMp3("v2.mp3", "--id3v2-only --tt Song --tn 7");
    EXPECT_EQ(Read(mp3), Record("Song", 7));

    Tid3tag v1;
    v1.SetTitle("Old");
    v1.SetAlbum("From ID3v1");
    v1.SetTrack(9);
    ASSERT_EQ(v1.Write(mp3), 0);
    TrackRecord expected = Record("Song", 7);
    expected.album = "From ID3v1";
    EXPECT_EQ(Read(mp3), expected);

    std::filesystem::copy_file(mp3, dir_ / "no extension");
    EXPECT_EQ(Read(dir_ / "no extension"), expected) << "known by its first bytes";
}

TEST_F(FileTagReader, Id3v23FramesAsOtherProgramsWriteThem)
{
    const std::string png = test::RedSquare(dir_.path(), "png");
    const CoverPicture jpeg = JpegCover();
    const std::string frames =
        Id3v23Frame("TIT2", Latin1("Caf\xE9")) + Id3v23Frame("TCON", Latin1("(17)")) +
        Id3v23Frame("TRCK", Latin1("04/10")) + Id3v23Frame("TPOS", Latin1("2")) +
        Id3v23Frame("TYER", Latin1("2003")) +
        Id3v23Frame("COMM", std::string("\0eng", 4) + "iTunNORM" + '\0' + " 0000") +
        Id3v23Frame("COMM", std::string("\0eng\0", 5) + "The comment") +
        Id3v23Frame("TXXX", UserText("MUSICBRAINZ ALBUM ID", "album")) +
        Id3v23Frame("TXXX", UserText("musicbrainz artist id", "artist")) +
        Id3v23Frame("TXXX", UserText("MUSICBRAINZ_DISCID", "disc")) +
        Id3v23Frame("UFID", std::string("http://musicbrainz.org\0", 23) + "recording") +
        Id3v23Frame("APIC", std::string("\0image/png\0\x00\0", 13) + png) +
        Id3v23Frame("APIC", std::string("\0image/jpeg\0\x03\0", 14) + jpeg.data);
    const path mp3 = Write("v23.mp3", Id3v23Tag(frames) + test::ReadFile(LameMp3("bare.mp3")));

    TrackRecord expected = Record("Café", 4, 10);
    expected.genre = "Rock";
    expected.discNumber = 2;
    expected.date = "2003";
    expected.comment = "The comment";
    expected.musicBrainz.albumId = "album";
    expected.musicBrainz.artistId = "artist";
    expected.musicBrainz.discId = "disc";
    expected.musicBrainz.recordingId = "recording";
    expected.cover = jpeg; // the front cover, though second
    EXPECT_EQ(Read(mp3), expected);
}

TEST_F(FileTagReader, WavInfoChunksInEveryFormTheyComeIn)
{
    const std::string fromFfmpeg = "-metadata 'title=Tïtle ✓' -metadata artist=A -metadata album=B "
                                   "-metadata date=2024-05-17 -metadata genre=G "
                                   "-metadata comment=C -metadata track=4/9";
    TrackRecord full = Record("Tïtle ✓", 4, 9);
    full.artist = "A";
    full.album = "B";
    full.date = "2024-05-17";
    full.genre = "G";
    full.comment = "C";
    const path ffmpegWav = test::FfmpegTone(dir_ / "ffmpeg.wav", fromFfmpeg);
    const std::string ffmpegBytes = test::ReadFile(ffmpegWav);
    ASSERT_NE(ffmpegBytes.find("LIST"), std::string::npos);

    TrackRecord windows1252 = Record("Café €", 5, 12);
    windows1252.artist = "Olé";
    windows1252.date = "1999-01-02";
    TrackRecord both = Record("From ID3", 3);
    both.album = "Album from INFO";
    struct Case {
        std::string name;
        std::string bytes;
        TrackRecord expected;
    };
    for (const Case& c : {
             Case{"ffmpeg.wav", ffmpegBytes, full},
             Case{"cut in the data.wav", ffmpegBytes.substr(0, 2000), full},
             Case{"to a pipe.wav",
                  test::ReadFile(test::FfmpegTone(dir_ / "pipe.wav", "-f wav pipe:1 >")),
                  {}},
             Case{"windows-1252.wav",
                  Wav(InfoList(test::Chunk("INAM", std::string("Caf\xE9 \x80\0", 8)) +
                               test::Chunk("IART", std::string("Ol\xE9\0", 4)) +
                               test::Chunk("ICRD", std::string("1999-01-02", 10)) +
                               test::Chunk("ITRK", std::string("5/12", 4)))),
                  windows1252},
             Case{"id3 and info.wav",
                  Wav(EvenChunk("id3 ", Id3v23Tag(Id3v23Frame("TIT2", Latin1("From ID3")) +
                                                  Id3v23Frame("TRCK", Latin1("3")))) +
                      InfoList(test::Chunk("INAM", std::string("From INFO\0", 10)) +
                               test::Chunk("IPRD", std::string("Album from INFO\0", 16)) +
                               test::Chunk("IPRT", std::string("9\0", 2)))),
                  both},
         }) {
        EXPECT_EQ(Read(Write(c.name, c.bytes)), c.expected) << c.name;
    }
}

TEST_F(FileTagReader, FilesTaggedByTheirOwnTools)
{
    const path wav = test::Sox(dir_ / "tone.wav", "-b 16 -c 2 -r 44100", "1", "sine 440");
    const CoverPicture jpeg = JpegCover();
    const path cover = dir_ / "red.jpg"; // where JpegCover made it
    TrackRecord expected = Record("Tïtle ✓", 3, 12);
    expected.artist = "Ärtist";
    expected.album = "Albüm";
    expected.date = "2024";
    expected.comment = "Ripped";
    expected.cover = jpeg;
    struct Case {
        std::string name;
        std::string command;
        bool withCover;
    };
    for (const Case& c : {
             Case{"flac.flac",
                  "flac -s -f -T 'TITLE=Tïtle ✓' -T ARTIST=Ärtist -T ALBUM=Albüm -T DATE=2024 "
                  "-T TRACKNUMBER=3 -T TOTALTRACKS=12 -T DESCRIPTION=Ripped --picture=" +
                      Quoted(cover) + " " + Quoted(wav) + " -o ",
                  true},
             Case{"vorbis.ogg",
                  "oggenc -Q -t 'Tïtle ✓' -a Ärtist -l Albüm -d 2024 -N 3/12 -c COMMENT=Ripped " +
                      Quoted(wav) + " -o ",
                  false},
             Case{"opus.opus",
                  "opusenc --quiet --title 'Tïtle ✓' --artist Ärtist --album Albüm --date 2024 "
                  "--comment TRACKNUMBER=3 --comment TRACKTOTAL=12 --comment COMMENT=Ripped "
                  "--picture " +
                      Quoted(cover) + " " + Quoted(wav) + " ",
                  true},
             Case{"ffmpeg.wma",
                  "ffmpeg -v error -i " + Quoted(wav) +
                      " -c:a wmav2 -metadata 'title=Tïtle ✓' -metadata artist=Ärtist -metadata "
                      "album=Albüm -metadata WM/Year=2024 -metadata track=3 -metadata "
                      "comment=Ripped ",
                  false},
         }) {
        const path file = dir_ / c.name;
        RunCommand(c.command + Quoted(file) + " 2>&1");
        TrackRecord wanted = expected;
        if (!c.withCover)
            wanted.cover.reset();
        if (c.name.ends_with(".wma"))
            wanted.trackTotal = 0;
        EXPECT_EQ(Read(file), wanted) << c.name;
    }
}

TEST_F(FileTagReader, WmaTrackNumbersAsStringsNumbersAndTheOldZeroBasedTrack)
{
    using TagLib::ASF::Attribute;
    struct Case {
        std::string name;
        std::vector<std::pair<const char*, Attribute>> attributes;
        int track;
    };
    for (const Case& c : {
             Case{"string", {{"WM/TrackNumber", Attribute(TagLib::String("5"))}}, 5},
             Case{"dword", {{"WM/TrackNumber", Attribute(7u)}}, 7},
             Case{"old only", {{"WM/Track", Attribute(TagLib::String("4"))}}, 5},
             Case{"old zero", {{"WM/Track", Attribute(0u)}}, 1},
             Case{"both",
                  {{"WM/TrackNumber", Attribute(TagLib::String("2"))},
                   {"WM/Track", Attribute(TagLib::String("9"))}},
                  2},
         }) {
        const path wma = test::FfmpegTone(dir_ / (c.name + ".wma"), "-c:a wmav2");
        {
            TagLib::ASF::File file(wma.c_str());
            for (const auto& [name, value] : c.attributes)
                file.tag()->setAttribute(name, value);
            ASSERT_TRUE(file.save());
        }
        EXPECT_EQ(Read(wma).trackNumber, c.track) << c.name;
    }
}

TEST_F(FileTagReader, BrokenFilesGiveWhatCanBeReadAndNeverFail)
{
    std::mt19937 generator(1234);
    std::string noise(8192, '\0');
    for (char& byte : noise)
        byte = static_cast<char>(generator());
    const std::string tagged =
        test::ReadFile(LameMp3("tagged.mp3", "--id3v2-only --tt Song --tn 7"));
    const std::string bare = test::ReadFile(LameMp3("bare.mp3"));
    const std::string songTag =
        Id3v23Tag(Id3v23Frame("TIT2", Latin1("Song")) +
                  Id3v23Frame("APIC", std::string("\0image/jpeg\0\x03\0", 14) + noise));
    std::string oversized = songTag;
    oversized.replace(6, 4, "\x7F\x7F\x7F\x7F");
    const std::string ffmpegWav =
        test::ReadFile(test::FfmpegTone(dir_ / "info.wav", "-metadata title=Tone"));
    struct Case {
        std::string name;
        std::string bytes;
        TrackRecord expected;
    };
    for (const Case& c : {
             Case{"empty.mp3", "", {}},
             Case{"empty.wav", "", {}},
             Case{"empty.flac", "", {}},
             Case{"noise.mp3", noise, {}},
             Case{"noise.wma", noise, {}},
             Case{"noise.wav", noise, {}},
             Case{"noise.flac", noise, {}},
             Case{"noise.ogg", noise, {}},
             Case{"noise.ape", noise, {}},
             // The frames before the cut or the end, without the picture cut in two.
             Case{"half a tag.mp3", songTag.substr(0, songTag.size() / 2), Record("Song")},
             Case{"tag larger than the file.mp3", oversized + bare, Record("Song")},
             Case{"cut frame.mp3", tagged.substr(0, 30), {}},
             Case{"cut in the list.wav", ffmpegWav.substr(0, 60), {}},
             Case{"noise after the header.wav", ffmpegWav.substr(0, 44) + noise, {}},
         }) {
        EXPECT_EQ(Read(Write(c.name, c.bytes)), c.expected) << c.name;
    }

    EXPECT_EQ(Read(dir_ / "missing.mp3"), TrackRecord());
    std::filesystem::create_directory(dir_ / "folder.mp3");
    EXPECT_EQ(Read(dir_ / "folder.mp3"), TrackRecord());
    ASSERT_EQ(::mkfifo((dir_ / "pipe.mp3").c_str(), 0600), 0);
    EXPECT_EQ(Read(dir_ / "pipe.mp3"), TrackRecord()) << "without waiting for a writer";
}

} // namespace
} // namespace corvath
