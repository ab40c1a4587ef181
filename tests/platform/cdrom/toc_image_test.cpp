#include "platform/cdrom/images/toc_image.h"
#include "support/riff_bytes.h"
#include "support/temp_dir.h"
#include "support/test_data.h"

#include <cctype>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace corvath {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kSector = 2352;

// What a test expects of a track: cdrdao's defaults (audio, no pre-gap, copy not permitted)
// unless a call below says otherwise.
struct Track {
    uint32_t start = 0;
    std::optional<uint32_t> pregap;
    bool data = false;
    bool copy = false;
    bool preEmphasis = false;
    std::string isrc;
    std::string title;
    std::string performer;

    Track Data() const { return With(&Track::data, true); }
    Track Copy() const { return With(&Track::copy, true); }
    Track Emphasis() const { return With(&Track::preEmphasis, true); }
    Track Isrc(std::string code) const { return With(&Track::isrc, std::move(code)); }
    Track Text(std::string titled, std::string by) const
    {
        return With(&Track::title, std::move(titled)).With(&Track::performer, std::move(by));
    }

    template <typename T> Track With(T Track::*field, T value) const
    {
        Track track = *this;
        track.*field = std::move(value);
        return track;
    }
};

Track At(uint32_t start, std::optional<uint32_t> pregap = std::nullopt)
{
    Track track;
    track.start = start;
    track.pregap = pregap;
    return track;
}

struct Disc {
    std::string file;
    uint32_t leadOut = 0;
    std::vector<Track> tracks;
    std::string catalog;
    std::string title;
    std::string performer;

    Disc Catalog(std::string number) const
    {
        Disc disc = *this;
        disc.catalog = std::move(number);
        return disc;
    }
    Disc Text(std::string titled, std::string by) const
    {
        Disc disc = *this;
        disc.title = std::move(titled);
        disc.performer = std::move(by);
        return disc;
    }
};

Disc Of(std::string file, uint32_t leadOut, std::vector<Track> tracks)
{
    Disc disc;
    disc.file = std::move(file);
    disc.leadOut = leadOut;
    disc.tracks = std::move(tracks);
    return disc;
}

void PrintTo(const Disc& disc, std::ostream* out)
{
    *out << disc.file;
}

void ExpectDisc(const ImageLayout& layout, const Disc& disc)
{
    EXPECT_EQ(layout.leadOut, disc.leadOut);
    EXPECT_EQ(layout.catalog, disc.catalog);
    EXPECT_EQ(layout.title, disc.title);
    EXPECT_EQ(layout.performer, disc.performer);
    ASSERT_EQ(layout.tracks.size(), disc.tracks.size());
    for (std::size_t k = 0; k < disc.tracks.size(); ++k) {
        SCOPED_TRACE("track " + std::to_string(k + 1));
        const ImageTrack& got = layout.tracks[k];
        const Track& want = disc.tracks[k];
        EXPECT_EQ(got.number, k + 1);
        EXPECT_EQ(got.session, 1);
        EXPECT_EQ(got.start, want.start);
        EXPECT_EQ(got.pregap, want.pregap);
        EXPECT_EQ(got.data, want.data);
        EXPECT_EQ(got.copyPermitted, want.copy);
        EXPECT_EQ(got.preEmphasis, want.preEmphasis);
        EXPECT_EQ(got.isrc, want.isrc);
        EXPECT_EQ(got.title, want.title);
        EXPECT_EQ(got.performer, want.performer);
    }
}

// The sectors of the audio tracks, pre-gaps included.
uint32_t AudioSectors(const ImageLayout& layout)
{
    uint32_t sectors = 0;
    for (std::size_t k = 0; k < layout.tracks.size(); ++k) {
        const ImageTrack& track = layout.tracks[k];
        const uint32_t end = k + 1 < layout.tracks.size()
                                 ? layout.tracks[k + 1].pregap.value_or(layout.tracks[k + 1].start)
                                 : layout.leadOut;
        if (!track.data)
            sectors += end - track.pregap.value_or(track.start);
    }
    return sectors;
}

fs::path Fixture(const std::string& name)
{
    return test::TestDataPath("toc/" + name);
}

// ----- cdrdao's test files, with what `cdrdao show-toc` prints for them (gold/*.showtoc).

class CdrdaoFixtureTest : public ::testing::TestWithParam<Disc> {};

TEST_P(CdrdaoFixtureTest, ReadsWhatCdrdaoShows)
{
    const Disc& disc = GetParam();
    const ImageParse parse = ReadTocImage(Fixture("cdrdao/" + disc.file));
    ASSERT_TRUE(parse.layout) << parse.problem;
    ExpectDisc(*parse.layout, disc);
    // Their audio is all stated silence, read from no file.
    EXPECT_TRUE(parse.layout->files.empty());
    uint32_t silent = 0;
    for (const ImageExtent& extent : parse.layout->extents) {
        EXPECT_FALSE(extent.file);
        silent += extent.sectorCount;
    }
    EXPECT_EQ(silent, AudioSectors(*parse.layout));
}

INSTANTIATE_TEST_SUITE_P(
    Gold, CdrdaoFixtureTest,
    ::testing::Values(Of("cdtext.toc", 4500, {At(0).Text("Track \"Title\"", "Performer")})
                          .Text("CD Title", "Perf\\ormer"),
                      Of("3encodings.toc", 9000,
                         {At(0).Isrc("FR79W0600410").Text("Heat Wave", "Jeanne Cherhal"),
                          At(4500).Isrc("FR79W0600420").Text("I am liquid", "Jeanne Cherhal")})
                          .Text("The Water", "Jeanne Cherhal"),
                      Of("data1.toc", 4500, {At(0).Data()}),
                      Of("data2.toc", 9150, {At(0).Data(), At(4650, 4500)}),
                      Of("data3.toc", 9150, {At(0), At(4650, 4500).Data()}),
                      Of("data4.toc", 13800, {At(0).Data(), At(4650, 4500), At(9300, 9150).Data()}),
                      Of("data5.toc", 13650, {At(0).Data(), At(4650, 4500).Data()}),
                      Of("data6.toc", 4500, {At(0).Data()}),
                      Of("data7.toc", 9150, {At(0).Data(), At(4650, 4500).Data()}),
                      Of("mode1_rw.toc", 45000, {At(0).Data()}),
                      Of("mode1_rw_raw.toc", 45000, {At(0).Data()}),
                      Of("t2.toc", 4500, {At(750, 0)}), Of("t3.toc", 9000, {At(0), At(4500)}),
                      Of("t4.toc", 4500, {At(0).Copy().Emphasis()}),
                      Of("t5.toc", 4500, {At(0)}).Catalog("1234567890123"),
                      Of("t6.toc", 4500, {At(0).Isrc("DEMUA9800001")}),
                      Of("t7.toc", 9000, {At(0), At(4875, 4500).Isrc("DEMUA9800001")}),
                      Of("t8.toc", 18000, {At(0), At(13875, 13500)}),
                      Of("t9.toc", 3451,
                         {At(375, 0).Copy().Isrc("USEM39600078"), At(900, 750).Isrc("USEM39600079"),
                          At(1605, 1500).Copy(), At(2250), At(3151, 3000).Isrc("EDUMA9892346")})
                          .Catalog("0724385356926")),
    [](const ::testing::TestParamInfo<Disc>& info) {
        std::string name = info.param.file.substr(0, info.param.file.find('.'));
        for (char& c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

// ----- libcdio's test files, with the data files they name written beside them.

class TocImageTest : public ::testing::Test {
protected:
    fs::path Copy(const std::string& fixture, const fs::path& to)
    {
        fs::create_directories(to.parent_path());
        fs::copy_file(Fixture(fixture), to);
        return to;
    }

    // A file of the given size, read by no test: zeros, without writing them.
    void Sized(const fs::path& file, uint64_t bytes)
    {
        fs::create_directories(file.parent_path());
        test::WriteFile(file, "");
        fs::resize_file(file, bytes);
    }

    // The layout of a TOC file of the given text, written as disc.toc.
    ImageParse Read(const std::string& toc)
    {
        test::WriteFile(dir_ / "disc.toc", toc);
        return ReadTocImage(dir_ / "disc.toc");
    }

    std::string Problem(const std::string& toc)
    {
        const ImageParse parse = Read(toc);
        EXPECT_FALSE(parse.layout) << toc;
        return parse.problem;
    }

    std::string Resolved(const std::string& name) const
    {
        return fs::weakly_canonical(dir_ / name).string();
    }

    test::TempDir dir_;
};

TEST_F(TocImageTest, VideoCdTracksStartWhereCdInfoListsThem)
{
    Sized(dir_ / "vcd_demo.bin", 2110 * kSector);
    const ImageParse parse = ReadTocImage(Copy("libcdio/vcd_demo.toc", dir_ / "vcd_demo.toc"));
    ASSERT_TRUE(parse.layout) << parse.problem;
    ExpectDisc(*parse.layout, Of("vcd_demo.toc", 2110,
                                 {At(0).Data().Copy(), At(1182, 1032).Data().Copy(),
                                  At(1721, 1571).Data().Copy()}));
    // Data tracks are not read as audio.
    EXPECT_TRUE(parse.layout->extents.empty());
    EXPECT_TRUE(parse.layout->files.empty());
}

TEST_F(TocImageTest, RawDataTrackRunsToTheEndOfItsFile)
{
    Sized(dir_ / "isofs-m1.bin", 302 * kSector);
    const ImageParse parse = ReadTocImage(Copy("libcdio/isofs-m1.toc", dir_ / "isofs-m1.toc"));
    ASSERT_TRUE(parse.layout) << parse.problem;
    ExpectDisc(*parse.layout, Of("isofs-m1.toc", 302, {At(0).Data()}).Catalog("0000010271955"));
}

TEST_F(TocImageTest, LibcdioFilesThatCdrdaoWouldNotAcceptAreRefused)
{
    // vcd2.toc reads "../cdda.bin": outside the TOC file's folder, though it exists.
    Sized(dir_ / "cdda.bin", 302 * kSector);
    Sized(dir_ / "sub" / "cdda.bin", 302 * kSector);
    EXPECT_EQ(ReadTocImage(Copy("libcdio/vcd2.toc", dir_ / "sub" / "vcd2.toc")).problem,
              "its data file \"../cdda.bin\" lies outside the image's folder");

    EXPECT_EQ(ReadTocImage(Copy("libcdio/bad-cat2.toc", dir_ / "bad-cat2.toc")).problem,
              "the TOC file's line 4 cannot be read: a catalogue number has 13 digits");
    EXPECT_EQ(ReadTocImage(Copy("libcdio/cdda.toc", dir_ / "cdda.toc")).problem,
              "the TOC file's line 4 cannot be read: \"LANGUAGE\" belongs inside a CD_TEXT "
              "block");
}

// ----- Audio from files

TEST_F(TocImageTest, AudioFilesMapToExtentsOfTheirStreams)
{
    // 100 sectors and part of another.
    Sized(dir_ / "disc.bin", 100 * kSector + 1000);
    const ImageParse parse = Read("CD_DA\n"
                                  "TRACK AUDIO\n"
                                  "FILE \"disc.bin\" 0 00:00:40\n"
                                  "TRACK AUDIO\n"
                                  "SILENCE 00:00:10\n"
                                  "START\n"
                                  "FILE \"disc.bin\" 00:00:40 23520 // 40 sectors of samples\n"
                                  "TRACK AUDIO\n"
                                  "AUDIOFILE \"disc.bin\" SWAP #4 47040\n");
    ASSERT_TRUE(parse.layout) << parse.problem;
    const ImageLayout& layout = *parse.layout;
    ExpectDisc(layout, Of("", 110, {At(0), At(50, 40), At(90)}));

    // Raw audio is big-endian unless SWAP says otherwise; the same file twice, once each way.
    ASSERT_EQ(layout.files.size(), 2u);
    EXPECT_EQ(layout.files[0].path.string(), Resolved("disc.bin"));
    EXPECT_EQ(layout.files[0].format, ImageFileFormat::RawBigEndian);
    EXPECT_EQ(layout.files[1].format, ImageFileFormat::Raw);
    EXPECT_EQ(layout.files[1].streamBytes, 100 * kSector + 1000);

    ASSERT_EQ(layout.extents.size(), 4u);
    const auto expectExtent = [&](std::size_t k, uint32_t first, uint32_t count,
                                  std::optional<std::size_t> file, uint64_t offset) {
        SCOPED_TRACE("extent " + std::to_string(k));
        EXPECT_EQ(layout.extents[k].firstSector, first);
        EXPECT_EQ(layout.extents[k].sectorCount, count);
        EXPECT_EQ(layout.extents[k].file, file);
        EXPECT_EQ(layout.extents[k].byteOffset, offset);
    };
    expectExtent(0, 0, 40, 0, 0);
    expectExtent(1, 40, 10, std::nullopt, 0);
    expectExtent(2, 50, 40, 0, 40 * kSector);
    // From byte 4 + 47040 samples on: 20 whole sectors; the partial one after them is left out.
    expectExtent(3, 90, 20, 1, 4 + 47040 * 4);
}

TEST_F(TocImageTest, WaveFilesAreReadFromTheirDataChunk)
{
    const std::string samples(75 * kSector, '\x01');
    test::WriteFile(dir_ / "song.WAV",
                    "RIFF" + test::Le32(static_cast<uint32_t>(4 + 24 + 8 + samples.size())) +
                        "WAVE" + test::Chunk("fmt ", test::FmtBody(1, 2, 44100, 4, 16)) +
                        test::Chunk("data", samples));
    // A start that is not on a sector boundary: the sectors are read from there.
    const ImageParse parse = Read("TRACK AUDIO\nFILE \"song.WAV\" 294 00:00:50\n");
    ASSERT_TRUE(parse.layout) << parse.problem;
    ASSERT_EQ(parse.layout->files.size(), 1u);
    EXPECT_EQ(parse.layout->files[0].format, ImageFileFormat::Wave);
    EXPECT_EQ(parse.layout->files[0].streamOffset, 44u);
    ASSERT_EQ(parse.layout->extents.size(), 1u);
    EXPECT_EQ(parse.layout->extents[0].byteOffset, 294u * 4);
    EXPECT_EQ(parse.layout->leadOut, 50u);

    EXPECT_EQ(Problem("TRACK AUDIO\nFILE \"song.WAV\" SWAP 0\n"),
              "the TOC file's line 2 cannot be read: SWAP applies to raw audio files only");
    EXPECT_EQ(Problem("TRACK AUDIO\nFILE \"song.WAV\" #44 0\n"),
              "the TOC file's line 2 cannot be read: a WAVE file's audio is found without a byte "
              "offset");
}

TEST_F(TocImageTest, DataFileLengthsComeFromTheModesBlockSize)
{
    struct Mode {
        std::string name;
        uint64_t block;
    };
    for (const Mode& mode : {Mode{"MODE1", 2048},
                             {"MODE1_RAW", 2352},
                             {"MODE2", 2336},
                             {"MODE2_FORM1", 2048},
                             {"MODE2_FORM2", 2324},
                             {"MODE2_FORM_MIX", 2336},
                             {"MODE2_RAW", 2352},
                             {"MODE1 RW", 2144},
                             {"MODE2_RAW RW_RAW", 2448}}) {
        SCOPED_TRACE(mode.name);
        // Ten blocks and a byte, which cdrdao pads to an eleventh; then an audio track.
        Sized(dir_ / "data.bin", 10 * mode.block + 1);
        Sized(dir_ / "audio.bin", 20 * kSector);
        const ImageParse parse = Read("CD_ROM\nTRACK " + mode.name +
                                      "\nDATAFILE \"data.bin\"\nZERO 00:00:04\n"
                                      "TRACK AUDIO\nPREGAP 0:0:5\nFILE \"audio.bin\" 0\n");
        ASSERT_TRUE(parse.layout) << parse.problem;
        ExpectDisc(*parse.layout, Of("", 40, {At(0).Data(), At(20, 15)}));
        ASSERT_EQ(parse.layout->files.size(), 1u);
        EXPECT_EQ(parse.layout->files[0].path.string(), Resolved("audio.bin"));
        ASSERT_EQ(parse.layout->extents.size(), 2u);
        EXPECT_EQ(parse.layout->extents[0].firstSector, 15u);
        EXPECT_EQ(parse.layout->extents[1].firstSector, 20u);
    }
}

TEST_F(TocImageTest, DataFileOffsetsAndLengths)
{
    Sized(dir_ / "image.bin", 1000 * 2048);
    // #offset skips bytes; a number is bytes in a data track, mm:ss:ff blocks; audio written
    // by chdman comes as DATAFILE too.
    const ImageParse parse = Read("TRACK MODE1\n"
                                  "DATAFILE \"image.bin\" #2048 4097 // three blocks\n"
                                  "DATAFILE \"image.bin\" #8192 00:00:10\n"
                                  "TRACK AUDIO\n"
                                  "ZERO AUDIO 00:00:02\n"
                                  "DATAFILE \"image.bin\" #4096 00:00:20\n"
                                  "START 00:00:02\n");
    ASSERT_TRUE(parse.layout) << parse.problem;
    ExpectDisc(*parse.layout, Of("", 35, {At(0).Data(), At(15, 13)}));
    ASSERT_EQ(parse.layout->extents.size(), 2u);
    EXPECT_EQ(parse.layout->extents[1].firstSector, 15u);
    EXPECT_EQ(parse.layout->extents[1].byteOffset, 4096u);
    EXPECT_EQ(parse.layout->files[0].format, ImageFileFormat::RawBigEndian);
}

TEST_F(TocImageTest, CdTextKeepsLanguageZeroOrTheFirstLanguage)
{
    const ImageParse parse =
        Read("CD_TEXT {\n"
             "  LANGUAGE_MAP { 0 : EN 1:9 }\n"
             "  LANGUAGE 1 { TITLE \"Second\" PERFORMER \"Zweite\" GENRE { 0, 1, 65 } }\n"
             "  LANGUAGE 0 { TITLE \"Fran\\347aise\" PERFORMER \"Perf\" SIZE_INFO {1,2} }\n"
             "}\n"
             "TRACK AUDIO\n"
             "CD_TEXT { LANGUAGE 3 { TITLE \"Only\" } LANGUAGE 4 { TITLE \"Later\" } }\n"
             "SILENCE 00:00:10// no space before the comment\n"
             "TRACK AUDIO\n"
             "CD_TEXT { LANGUAGE 0 { ENCODING_MS_JIS TITLE \"\\202\\240\" } }\n"
             "SILENCE 00:00:10\n");
    ASSERT_TRUE(parse.layout) << parse.problem;
    EXPECT_EQ(parse.layout->title, "Fran\xC3\xA7"
                                   "aise"); // ISO 8859-1 made UTF-8
    EXPECT_EQ(parse.layout->performer, "Perf");
    EXPECT_EQ(parse.layout->tracks[0].title, "Only");
    // Shift JIS is not guessed at.
    EXPECT_EQ(parse.layout->tracks[1].title, "");
}

// ----- Refusals

struct Refusal {
    std::string toc;
    std::string problem;
};

class TocRefusalTest : public TocImageTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(TocRefusalTest, SaysWhichLineAndWhy)
{
    Sized(dir_ / "disc.bin", 10 * kSector);
    // DIR stands for the test's folder, as a refusal names a data file: resolved.
    std::string expected = GetParam().problem;
    if (const std::size_t at = expected.find("\"DIR/"); at != std::string::npos)
        expected.replace(at + 1, 3, fs::weakly_canonical(dir_.path()).string());
    EXPECT_EQ(Problem(GetParam().toc), expected);
}

void PrintTo(const Refusal& refusal, std::ostream* out)
{
    *out << refusal.toc;
}

std::string Line(int line, const std::string& reason)
{
    return "the TOC file's line " + std::to_string(line) + " cannot be read: " + reason;
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, TocRefusalTest,
    ::testing::Values(
        Refusal{"CD_DA\n", "it lists no tracks"},
        Refusal{"TRACK\nFILE \"disc.bin\" 0\n",
                Line(2, "TRACK is followed by a track mode such as AUDIO or MODE1, not "
                        "\"FILE\"")},
        Refusal{"TRACK MODE3\n",
                Line(1, "TRACK is followed by a track mode such as AUDIO or MODE1, not "
                        "\"MODE3\"")},
        Refusal{"TRACK AUDIO\n", Line(1, "track 1 holds no data")},
        Refusal{"TRACK AUDIO\nSILENCE 1:60:0\n",
                Line(2, "SILENCE is followed by a length as mm:ss:ff or a number, not "
                        "\"1:60:0\"")},
        Refusal{"TRACK AUDIO\nSILENCE 1000\n",
                Line(2, "a length of 1000 samples is not a whole number of sectors (588 "
                        "samples each)")},
        Refusal{"TRACK AUDIO\nSILENCE 101:0:0\n", Line(2, "it gives a length above 100 minutes")},
        Refusal{"TRACK AUDIO\nSILENCE 588000000000\n",
                Line(2, "it gives a length above 100 minutes")},
        Refusal{"TRACK AUDIO\nSILENCE 60:0:0\nTRACK AUDIO\nSILENCE 60:0:0\n",
                Line(4, "the disc runs past 100 minutes")},
        Refusal{"TRACK AUDIO\nSILENCE 99:59:74\n", "it is longer than a CD can be"},
        Refusal{"CATALOG \"12345\"\nTRACK AUDIO\nSILENCE 1:0:0\n",
                Line(1, "a catalogue number has 13 digits")},
        Refusal{"TRACK AUDIO\nISRC \"US-XX1-98-01234\"\nSILENCE 1:0:0\n",
                Line(2, "an ISRC has 12 characters: country and owner in capitals or digits, "
                        "then year and serial number in digits")},
        Refusal{"TRACK AUDIO\nNO WAY\n", Line(2, "NO is followed by COPY or PRE_EMPHASIS, not "
                                                 "\"WAY\"")},
        Refusal{"TRACK AUDIO\nTITLE \"x\"\n", Line(2, "\"TITLE\" belongs inside a CD_TEXT block")},
        Refusal{"SILENCE 1:0:0\n", Line(1, "\"SILENCE\" belongs to a track, after TRACK")},
        Refusal{"TRACK AUDIO\nSILENCE 1:0:0\nCD_DA\n",
                Line(3, "\"CD_DA\" belongs before the first track")},
        Refusal{"TRACK AUDIO\nSILENCE 1:0:0\nPOSTGAP 0:2:0\n",
                Line(3, "\"POSTGAP\" is not a word of a TOC file")},
        Refusal{"} TRACK AUDIO\n", Line(1, "\"}\" stands where a keyword belongs")},
        Refusal{"\n\"disc.bin\"\n", Line(2, "a quoted text stands where a keyword belongs")},
        Refusal{"TRACK AUDIO\nFIFO \"/tmp/fifo\" 44100\n",
                Line(2, "data from a FIFO cannot be read from an image")},
        Refusal{"TRACK AUDIO RW\nSILENCE 1:0:0\n",
                Line(1, "audio with sub-channel data (RW) cannot be read from an image")},
        Refusal{"TRACK MODE1\nZERO AUDIO 1:0:0\n", Line(2, "ZERO AUDIO does not fit a data track")},
        Refusal{"TRACK AUDIO\nSILENCE 0:10:0\nSTART 0:10:0\n",
                Line(3, "the pre-gap it sets is not shorter than its track")},
        Refusal{"TRACK AUDIO\nSTART 0:1:0\nSILENCE 0:10:0\nSTART\n",
                Line(4, "a track has one pre-gap, set by one START or PREGAP")},
        Refusal{"TRACK AUDIO\nSILENCE 0:10:0\nPREGAP 0:2:0\n",
                Line(3, "PREGAP belongs before the track's data")},
        Refusal{"TRACK AUDIO\nSILENCE 0:10:0\nINDEX 0:5:0\nINDEX 0:4:0\n",
                Line(4, "INDEX positions rise, after the track's start and before its end")},
        Refusal{"TRACK AUDIO\nSILENCE 0:10:0\nINDEX 0:10:0\n",
                Line(3, "INDEX positions rise, after the track's start and before its end")},
        Refusal{"TRACK AUDIO\nFILE \"disc.bin\" 0 00:00:11\n",
                Line(2, "its data file \"DIR/disc.bin\" ends before the sectors it names")},
        Refusal{"TRACK AUDIO\nFILE \"disc.bin\" 00:00:11\n",
                Line(2, "it starts past the end of its data file \"DIR/disc.bin\"")},
        Refusal{"TRACK AUDIO\nFILE \"disc.bin\" 00:00:10\n",
                Line(2, "its data file \"DIR/disc.bin\" holds no whole sector from where it "
                        "starts")},
        Refusal{"TRACK AUDIO\nFILE \"disc.bin\" #x 0\n",
                Line(2, "a byte offset is written as # and a number, not \"#x\"")},
        Refusal{"TRACK AUDIO\nFILE \"album.flac\" 0\n",
                Line(2, "compressed audio (MP3, Ogg Vorbis, FLAC) cannot be read from a TOC "
                        "file's image")},
        Refusal{"TRACK AUDIO\nFILE \"disc.bin\n",
                Line(2, "a quoted text is not closed on its line")},
        Refusal{"TRACK AUDIO\nFILE \"C:\\disc.bin\" 0\n",
                Line(2, "a quoted text holds a backslash that starts no escape cdrdao writes")},
        Refusal{"CD_TEXT {\n  LANGUAGE 8 { }\n}\n",
                Line(2, "LANGUAGE is followed by a number from 0 to 7, not \"8\"")},
        Refusal{"CD_TEXT {\n  LANGUAGE 0 {\n    NAME \"x\"\n",
                Line(3, "\"NAME\" is not a CD-Text item")},
        Refusal{"CD_TEXT {\n  LANGUAGE 0 { TITLE { 1, 256 } }\n}\n",
                Line(2, "binary CD-Text holds numbers from 0 to 255, not \"256\"")},
        Refusal{"CD_TEXT {\n  LANGUAGE 0 { TITLE \"x\" }\n",
                Line(1, "the CD_TEXT block begun here is not closed")},
        Refusal{"CD_TEXT {\n  LANGUAGE 0 { TITLE \"x\"\n",
                Line(2, "the LANGUAGE block begun here is not closed")},
        Refusal{"CD_TEXT {\n  { }\n}\n", Line(2, "\"{\" does not belong in a CD_TEXT block")},
        Refusal{"CD_TEXT TRACK\n", Line(1, "CD_TEXT is followed by \"{\", not \"TRACK\"")}));

TEST_F(TocImageTest, DataFilesOutsideTheFolderOrNotRegularAreRefused)
{
    Sized(dir_ / "outside.bin", 10 * kSector);
    Sized(dir_ / "toc" / "disc.bin", 10 * kSector);
    const auto problem = [&](const std::string& name) {
        test::WriteFile(dir_ / "toc" / "disc.toc", "TRACK AUDIO\nFILE \"" + name + "\" 0\n");
        const ImageParse parse = ReadTocImage(dir_ / "toc" / "disc.toc");
        EXPECT_FALSE(parse.layout) << name;
        return parse.problem;
    };
    EXPECT_EQ(problem("/etc/passwd"), "its data file \"/etc/passwd\" lies outside the image's "
                                      "folder");
    EXPECT_EQ(problem("../outside.bin"),
              "its data file \"../outside.bin\" lies outside the image's folder");
    EXPECT_EQ(problem("missing.bin"),
              "its data file \"" + fs::weakly_canonical(dir_ / "toc" / "missing.bin").string() +
                  "\" is missing");
    ASSERT_EQ(::mkfifo((dir_ / "toc" / "pipe.bin").c_str(), 0600), 0);
    EXPECT_EQ(problem("pipe.bin"), "its data file \"" +
                                       fs::weakly_canonical(dir_ / "toc" / "pipe.bin").string() +
                                       "\": it is not a regular file");
}

TEST_F(TocImageTest, ATocFileNamedRelativelyKeepsItsDataFilesBesideIt)
{
    Sized(dir_ / "disc.bin", 10 * kSector);
    test::WriteFile(dir_ / "relative.toc", "TRACK AUDIO\nFILE \"disc.bin\" 0\n");
    test::WriteFile(dir_ / "escape.toc", "TRACK AUDIO\nFILE \"/etc/passwd\" 0\n");
    const fs::path previous = fs::current_path();
    fs::current_path(dir_.path());
    const ImageParse relative = ReadTocImage("relative.toc");
    const ImageParse escape = ReadTocImage("escape.toc");
    fs::current_path(previous);

    ASSERT_TRUE(relative.layout) << relative.problem;
    EXPECT_EQ(relative.layout->files.at(0).path.string(), Resolved("disc.bin"));
    EXPECT_EQ(escape.problem, "its data file \"/etc/passwd\" lies outside the image's folder");
}

TEST_F(TocImageTest, SheetsThatAreNoTextOrTooLargeAreRefused)
{
    EXPECT_EQ(ReadTocImage(dir_ / "none.toc").problem, "the file does not exist");
    test::WriteFile(dir_ / "large.toc", std::string((1 << 20) + 1, ' '));
    EXPECT_EQ(ReadTocImage(dir_ / "large.toc").problem,
              "it is too large for a cue sheet or TOC file");
}

TEST_F(TocImageTest, AtMostNinetyNineTracks)
{
    std::string toc;
    for (int k = 0; k < 99; ++k)
        toc += "TRACK AUDIO\nSILENCE 0:0:1\n";
    const ImageParse full = Read(toc);
    ASSERT_TRUE(full.layout) << full.problem;
    EXPECT_EQ(full.layout->tracks.back().number, 99);
    EXPECT_EQ(full.layout->extents.size(), 1u); // one run of silence
    EXPECT_EQ(Problem(toc + "TRACK AUDIO\nSILENCE 0:0:1\n"),
              Line(199, "a disc holds at most 99 tracks"));
}

} // namespace
} // namespace corvath
