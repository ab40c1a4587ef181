#include "platform/cdrom/images/nrg_image.h"
#include "support/disc_image.h"
#include "support/nrg_image.h"
#include "support/temp_dir.h"
#include "support/test_data.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

namespace corvath {
namespace {

using test::NrgKind;
using test::NrgTrack;

constexpr uint32_t kSectorBytes = 2352;

std::vector<uint8_t> DataSectors(uint32_t count)
{
    std::vector<uint8_t> sectors(std::size_t{count} * kSectorBytes);
    for (std::size_t i = 0; i < sectors.size(); ++i)
        sectors[i] = static_cast<uint8_t>(i % 253);
    return sectors;
}

uint64_t Be(const std::string& bytes, std::size_t at, int width)
{
    uint64_t value = 0;
    for (int i = 0; i < width; ++i)
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

void PutBe(std::string& bytes, std::size_t at, uint64_t value, int width)
{
    for (int i = width - 1; i >= 0; --i, value >>= 8)
        bytes[at + i] = static_cast<char>(value);
}

// Where an image's chunk list starts, from its footer.
uint64_t ChunkListOffset(const std::string& image)
{
    if (image.compare(image.size() - 12, 4, "NER5") == 0)
        return Be(image, image.size() - 8, 8);
    return Be(image, image.size() - 4, 4);
}

// Where the body of an image's first chunk of that kind starts.
std::size_t ChunkBody(const std::string& image, const char* id)
{
    const std::size_t at = image.find(id, ChunkListOffset(image));
    EXPECT_NE(at, std::string::npos) << id;
    return at + 8;
}

// A sector's bytes as the layout serves them: from its data file, zeros for silence, nothing
// where no extent covers it.
std::optional<std::string> SectorBytes(const ImageLayout& layout, const std::string& file,
                                       uint32_t sector)
{
    for (const ImageExtent& extent : layout.extents) {
        if (sector < extent.firstSector || sector >= extent.firstSector + extent.sectorCount)
            continue;
        if (!extent.file)
            return std::string(kSectorBytes, '\0');
        const uint64_t at =
            extent.byteOffset + uint64_t{sector - extent.firstSector} * kSectorBytes;
        return file.substr(at, kSectorBytes);
    }
    return std::nullopt;
}

std::string SectorOf(const std::vector<uint8_t>& sectors, uint32_t k)
{
    return std::string(sectors.begin() + k * kSectorBytes,
                       sectors.begin() + (k + 1) * kSectorBytes);
}

bool IsDao(NrgKind kind)
{
    return kind == NrgKind::DaoVersion2 || kind == NrgKind::DaoVersion1;
}

class NrgImageTest : public ::testing::Test {
protected:
    ImageParse Read(const std::vector<NrgTrack>& tracks, NrgKind kind,
                    const test::NrgOptions& options = {})
    {
        bytes_ = test::NrgImageBytes(tracks, kind, options);
        test::WriteFile(dir_ / "disc.nrg", bytes_);
        return ReadNrgImage(dir_ / "disc.nrg");
    }

    std::string ProblemOf(const std::string& image)
    {
        test::WriteFile(dir_ / "damaged.nrg", image);
        const ImageParse parse = ReadNrgImage(dir_ / "damaged.nrg");
        EXPECT_FALSE(parse.layout.has_value());
        return parse.problem;
    }

    // The original's bytes before the kept tail are zero: they are sectors, not layout.
    ImageParse ReadLibcdioImage(const std::string& name, uint64_t size)
    {
        const std::string tail = test::ReadTestData("nrg/" + name + "-tail");
        {
            std::ofstream out(dir_ / name, std::ios::binary);
            out.seekp(static_cast<std::streamoff>(size - tail.size()));
            out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
        }
        EXPECT_EQ(std::filesystem::file_size(dir_ / name), size);
        return ReadNrgImage(dir_ / name);
    }

    // Each audio track's sectors, its pre-gap's included, come back where the layout puts them.
    void ExpectAudioServed(const ImageLayout& layout, const std::vector<NrgTrack>& tracks,
                           bool pregapsStored)
    {
        ASSERT_EQ(layout.tracks.size(), tracks.size());
        for (std::size_t k = 0; k < tracks.size(); ++k) {
            const ImageTrack& track = layout.tracks[k];
            if (tracks[k].data)
                continue;
            const uint32_t first = pregapsStored ? track.pregap.value_or(track.start) : track.start;
            const auto count = static_cast<uint32_t>(tracks[k].sectors.size() / kSectorBytes);
            for (uint32_t s = 0; s < count; ++s) {
                EXPECT_EQ(SectorBytes(layout, bytes_, first + s), SectorOf(tracks[k].sectors, s))
                    << "track " << k + 1 << " sector " << s;
            }
        }
    }

    test::TempDir dir_;
    std::string bytes_;
};

TEST_F(NrgImageTest, LibcdioDaoImageGivesItsCuePointsCdTextAndAudio)
{
    const ImageParse parse = ReadLibcdioImage("p1.nrg", 1063470);
    ASSERT_TRUE(parse.layout) << parse.problem;
    const ImageLayout& layout = *parse.layout;
    ASSERT_EQ(layout.tracks.size(), 2u);
    // Track 1's INDEX 00 sits at 00:00:00, before sector 0; its INDEX 01 at 00:04:00.
    EXPECT_EQ(layout.tracks[0].start, 150u);
    EXPECT_EQ(layout.tracks[0].pregap, 0u);
    EXPECT_EQ(layout.tracks[1].start, 300u);
    EXPECT_EQ(layout.tracks[1].pregap, 225u); // libcdio's test/testpregap.c
    EXPECT_EQ(layout.leadOut, 302u);
    for (const ImageTrack& track : layout.tracks) {
        EXPECT_FALSE(track.data);
        EXPECT_TRUE(track.copyPermitted);
        EXPECT_FALSE(track.preEmphasis);
        EXPECT_EQ(track.isrc, "");
        EXPECT_EQ(track.session, 1);
    }
    EXPECT_EQ(layout.catalog, "");
    // libcdio's test/driver/nrg.c.in
    EXPECT_EQ(layout.title, "Join us now we have the software");
    EXPECT_EQ(layout.performer, "Richard Stallman");

    ASSERT_EQ(layout.files.size(), 1u);
    EXPECT_EQ(layout.files[0].format, ImageFileFormat::Raw);
    EXPECT_EQ(layout.files[0].streamOffset, 0u);
    EXPECT_EQ(layout.files[0].streamBytes, 1063104u);
    // The 150 sectors before sector 0 open the file.
    ASSERT_EQ(layout.extents.size(), 2u);
    EXPECT_EQ(layout.extents[0].firstSector, 0u);
    EXPECT_EQ(layout.extents[0].sectorCount, 225u);
    EXPECT_EQ(layout.extents[0].byteOffset, 150u * kSectorBytes);
    EXPECT_EQ(layout.extents[1].firstSector, 225u);
    EXPECT_EQ(layout.extents[1].sectorCount, 77u);
    EXPECT_EQ(layout.extents[1].byteOffset, 375u * kSectorBytes);
}

TEST_F(NrgImageTest, LibcdioTaoVideoCdPutsTwoSecondsBeforeEachTrackButTheFirst)
{
    const ImageParse parse = ReadLibcdioImage("videocd.nrg", 2630472);
    ASSERT_TRUE(parse.layout) << parse.problem;
    const ImageLayout& layout = *parse.layout;
    // libcdio's test/videocd.right
    const std::vector<uint32_t> starts = {0, 826, 1051, 1276, 1501};
    ASSERT_EQ(layout.tracks.size(), starts.size());
    for (std::size_t k = 0; k < starts.size(); ++k) {
        EXPECT_EQ(layout.tracks[k].number, k + 1);
        EXPECT_EQ(layout.tracks[k].start, starts[k]);
        EXPECT_TRUE(layout.tracks[k].data);
        if (k == 0)
            EXPECT_FALSE(layout.tracks[k].pregap);
        else
            EXPECT_EQ(layout.tracks[k].pregap, starts[k] - 150);
    }
    EXPECT_EQ(layout.leadOut, 1726u);
    EXPECT_TRUE(layout.extents.empty());
}

std::string KindName(const ::testing::TestParamInfo<NrgKind>& info)
{
    const char* const names[] = {"DaoVersion2", "DaoVersion1", "TaoVersion1", "TaoVersion2"};
    return names[static_cast<int>(info.param)];
}

class NrgKindTest : public NrgImageTest, public ::testing::WithParamInterface<NrgKind> {};

INSTANTIATE_TEST_SUITE_P(AllKinds, NrgKindTest,
                         ::testing::Values(NrgKind::DaoVersion2, NrgKind::DaoVersion1,
                                           NrgKind::TaoVersion1, NrgKind::TaoVersion2),
                         KindName);

TEST_P(NrgKindTest, AudioTracksComeBackWithTheirSectors)
{
    const std::vector<NrgTrack> tracks = {
        {test::AudioSectors(20, 1), 0, false, "USABC1234567"},
        {test::AudioSectors(30, 2), 5, false, ""},
        {test::AudioSectors(12, 3), 2, false, "GBXYZ0000001"},
    };
    const ImageParse parse = Read(tracks, GetParam(), {"0123456789012", true, {}});
    ASSERT_TRUE(parse.layout) << parse.problem;
    const ImageLayout& layout = *parse.layout;
    ASSERT_EQ(layout.tracks.size(), 3u);
    if (IsDao(GetParam())) {
        EXPECT_EQ(layout.tracks[0].start, 0u);
        EXPECT_FALSE(layout.tracks[0].pregap);
        EXPECT_EQ(layout.tracks[1].pregap, 20u);
        EXPECT_EQ(layout.tracks[1].start, 25u);
        EXPECT_EQ(layout.tracks[2].pregap, 50u);
        EXPECT_EQ(layout.tracks[2].start, 52u);
        EXPECT_EQ(layout.leadOut, 62u);
        EXPECT_EQ(layout.tracks[0].isrc, "USABC1234567");
        EXPECT_EQ(layout.tracks[1].isrc, "");
        EXPECT_EQ(layout.tracks[2].isrc, "GBXYZ0000001");
        EXPECT_EQ(layout.catalog, "0123456789012");
    } else {
        // Nothing of a pre-gap is stored: two seconds of silence come before tracks 2 and 3.
        EXPECT_EQ(layout.tracks[0].start, 0u);
        EXPECT_FALSE(layout.tracks[0].pregap);
        EXPECT_EQ(layout.tracks[1].pregap, 20u);
        EXPECT_EQ(layout.tracks[1].start, 170u);
        EXPECT_EQ(layout.tracks[2].pregap, 200u);
        EXPECT_EQ(layout.tracks[2].start, 350u);
        EXPECT_EQ(layout.leadOut, 362u);
        EXPECT_EQ(SectorBytes(layout, bytes_, 20), std::string(kSectorBytes, '\0'));
        EXPECT_EQ(SectorBytes(layout, bytes_, 349), std::string(kSectorBytes, '\0'));
        for (const ImageTrack& track : layout.tracks)
            EXPECT_EQ(track.isrc, "");
        EXPECT_EQ(layout.catalog, "");
    }
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(layout.tracks[k].number, k + 1);
        EXPECT_FALSE(layout.tracks[k].data);
        EXPECT_EQ(layout.tracks[k].session, 1);
    }
    ASSERT_EQ(layout.files.size(), 1u);
    EXPECT_EQ(layout.files[0].path, std::filesystem::weakly_canonical(dir_ / "disc.nrg"));
    EXPECT_EQ(layout.files[0].format, ImageFileFormat::Raw);
    EXPECT_EQ(layout.files[0].streamBytes, ChunkListOffset(bytes_));
    ExpectAudioServed(layout, tracks, IsDao(GetParam()));
}

TEST_P(NrgKindTest, EnhancedCdPutsItsDataSessionAfterTheSessionGap)
{
    NrgTrack data{DataSectors(40), 0, true, ""};
    data.session = 2;
    const std::vector<NrgTrack> tracks = {
        {test::AudioSectors(20, 4), 0, false, ""},
        {test::AudioSectors(25, 5), 0, false, ""},
        data,
    };
    const ImageParse parse = Read(tracks, GetParam());
    ASSERT_TRUE(parse.layout) << parse.problem;
    const ImageLayout& layout = *parse.layout;
    ASSERT_EQ(layout.tracks.size(), 3u);
    const uint32_t firstSessionEnd = IsDao(GetParam()) ? 45 : 195;
    EXPECT_EQ(layout.tracks[0].session, 1);
    EXPECT_EQ(layout.tracks[1].session, 1);
    EXPECT_EQ(layout.tracks[2].session, 2);
    EXPECT_TRUE(layout.tracks[2].data);
    EXPECT_EQ(layout.tracks[2].start, firstSessionEnd + kSessionGapSectors);
    EXPECT_EQ(layout.leadOut, firstSessionEnd + kSessionGapSectors + 40);
    // The gap and the data track are not audio.
    EXPECT_FALSE(SectorBytes(layout, bytes_, firstSessionEnd));
    EXPECT_FALSE(SectorBytes(layout, bytes_, layout.tracks[2].start));
    ExpectAudioServed(layout, tracks, IsDao(GetParam()));
}

TEST_P(NrgKindTest, DataTrackBeforeAudioIsNotServedAsAudio)
{
    const std::vector<NrgTrack> tracks = {
        {DataSectors(30), 0, true, ""},
        // A DAO image holds the pre-gap Nero writes between the kinds; a TAO image leaves it out.
        IsDao(GetParam()) ? NrgTrack{test::AudioSectors(170, 6), 150, false, ""}
                          : NrgTrack{test::AudioSectors(20, 6), 0, false, ""},
    };
    const ImageParse parse = Read(tracks, GetParam());
    ASSERT_TRUE(parse.layout) << parse.problem;
    const ImageLayout& layout = *parse.layout;
    ASSERT_EQ(layout.tracks.size(), 2u);
    EXPECT_TRUE(layout.tracks[0].data);
    EXPECT_FALSE(layout.tracks[1].data);
    EXPECT_EQ(layout.tracks[1].pregap, 30u);
    EXPECT_EQ(layout.tracks[1].start, 180u);
    EXPECT_FALSE(SectorBytes(layout, bytes_, 0));
    EXPECT_FALSE(SectorBytes(layout, bytes_, 29));
    ExpectAudioServed(layout, tracks, IsDao(GetParam()));
}

TEST_F(NrgImageTest, AudioBeforeTrackOnesIndexOneIsItsPregap)
{
    const std::vector<NrgTrack> tracks = {
        {test::AudioSectors(50, 7), 30, false, ""},
        {test::AudioSectors(10, 8), 0, false, ""},
    };
    for (const bool leadIn : {true, false}) {
        const ImageParse parse = Read(tracks, NrgKind::DaoVersion2, {"", leadIn, {}});
        ASSERT_TRUE(parse.layout) << parse.problem;
        EXPECT_EQ(parse.layout->tracks[0].pregap, 0u);
        EXPECT_EQ(parse.layout->tracks[0].start, 30u);
        EXPECT_FALSE(parse.layout->tracks[1].pregap);
        EXPECT_EQ(parse.layout->tracks[1].start, 50u);
        ExpectAudioServed(*parse.layout, tracks, true);
    }
}

TEST_F(NrgImageTest, CdTextInLatin1BecomesUtf8)
{
    const std::vector<NrgTrack> tracks = {
        {test::AudioSectors(10, 9), 0, false, ""},
        {test::AudioSectors(10, 10), 0, false, ""},
        {test::AudioSectors(10, 11), 0, false, ""},
    };
    // A lone tab repeats the string before it.
    const std::string cdText =
        test::NrgCdText({"Caf\xE9 Noir", "Ouverture", "", "A rather long title that spans packs"},
                        {"Les Ann\xE9"
                         "es",
                         "\t", "Someone Else", "\t"});
    const ImageParse parse = Read(tracks, NrgKind::DaoVersion2, {"", false, cdText});
    ASSERT_TRUE(parse.layout) << parse.problem;
    const ImageLayout& layout = *parse.layout;
    EXPECT_EQ(layout.title, "Caf\xC3\xA9 Noir");
    EXPECT_EQ(layout.performer, "Les Ann\xC3\xA9"
                                "es");
    EXPECT_EQ(layout.tracks[0].title, "Ouverture");
    EXPECT_EQ(layout.tracks[0].performer, "Les Ann\xC3\xA9"
                                          "es");
    EXPECT_EQ(layout.tracks[1].title, "");
    EXPECT_EQ(layout.tracks[1].performer, "Someone Else");
    EXPECT_EQ(layout.tracks[2].title, "A rather long title that spans packs");
    EXPECT_EQ(layout.tracks[2].performer, "Someone Else");
}

// Two audio tracks and their bytes, small enough to damage many times over.
std::vector<NrgTrack> SmallDisc()
{
    return {{test::AudioSectors(6, 12), 0, false, "USABC1234567"},
            {test::AudioSectors(5, 13), 2, false, ""}};
}

struct Damage {
    const char* name;
    NrgKind kind;
    std::function<void(std::string&)> apply;
    std::string problem;
};

const std::string kDamaged = "its track list is damaged";
const std::string kMismatch = "its track list does not match its data";

// DAOX: a 22-byte header, then 42 bytes a track: the sector size at 12, the mode at 14, the
// three offsets at 18, 26 and 34. ETNF: 20 bytes a track, the length at 4, the mode's last
// byte at 11.
const Damage kDamages[] = {
    {"no footer", NrgKind::DaoVersion2, [](std::string& s) { s.resize(s.size() - 12); },
     "it is not an NRG image"},
    {"a footer pointing past the end", NrgKind::DaoVersion2,
     [](std::string& s) { PutBe(s, s.size() - 8, s.size(), 8); }, kDamaged},
    {"a version 1 footer pointing at itself", NrgKind::TaoVersion1,
     [](std::string& s) { PutBe(s, s.size() - 4, s.size() - 8, 4); }, kDamaged},
    {"a chunk longer than the list", NrgKind::DaoVersion2,
     [](std::string& s) { PutBe(s, ChunkBody(s, "CUEX") - 4, 0xFFFFFFF0, 4); }, kDamaged},
    {"no END! chunk", NrgKind::DaoVersion2,
     [](std::string& s) { s.replace(ChunkBody(s, "END!") - 8, 4, "ENDX"); }, kDamaged},
    {"a DAO chunk without cue points", NrgKind::DaoVersion2,
     [](std::string& s) { s.replace(ChunkBody(s, "CUEX") - 8, 4, "CUEZ"); }, kDamaged},
    {"cue points without a DAO chunk", NrgKind::DaoVersion2,
     [](std::string& s) { s.replace(ChunkBody(s, "DAOX") - 8, 4, "DAOZ"); }, kDamaged},
    {"a track number that is not BCD", NrgKind::DaoVersion2,
     [](std::string& s) { s[ChunkBody(s, "CUEX") + 8 + 1] = 0x1A; }, kDamaged},
    {"cue points running backwards", NrgKind::DaoVersion2,
     [](std::string& s) { PutBe(s, ChunkBody(s, "CUEX") + 4 * 8 + 4, 1, 4); }, kDamaged},
    {"an MSF address past 59 seconds", NrgKind::DaoVersion1,
     [](std::string& s) { s[ChunkBody(s, "CUES") + 2 * 8 + 6] = 60; }, kDamaged},
    {"a track without INDEX 01", NrgKind::DaoVersion2,
     [](std::string& s) { s[ChunkBody(s, "CUEX") + 4 * 8 + 2] = 0x02; }, kDamaged},
    {"track numbers the DAO chunk does not hold", NrgKind::DaoVersion2,
     [](std::string& s) { s[ChunkBody(s, "DAOX") + 21] = 3; }, kDamaged},
    {"a DAO chunk cut inside a track", NrgKind::DaoVersion2,
     [](std::string& s) { PutBe(s, ChunkBody(s, "DAOX") - 4, 22 + 42 + 10, 4); }, kDamaged},
    {"a track ending past its cue points", NrgKind::DaoVersion2,
     [](std::string& s) {
         const std::size_t end = ChunkBody(s, "DAOX") + 22 + 42 + 34;
         PutBe(s, end, Be(s, end, 8) - kSectorBytes, 8);
     },
     kMismatch},
    {"a track ending past the data", NrgKind::DaoVersion1,
     [](std::string& s) { PutBe(s, ChunkBody(s, "DAOI") + 22 + 30 + 26, 0xFFFFFFFF, 4); },
     kMismatch},
    {"an audio track stored as data", NrgKind::DaoVersion2,
     [](std::string& s) { s[ChunkBody(s, "DAOX") + 22 + 14] = 0x05; }, kMismatch},
    {"audio with subchannel data", NrgKind::DaoVersion2,
     [](std::string& s) {
         const std::size_t track = ChunkBody(s, "DAOX") + 22 + 42;
         PutBe(s, track + 12, 2448, 2);
         s[track + 14] = 0x10;
     },
     "track 2 is stored with subchannel data (2448-byte sectors), which is not supported"},
    {"a session count the tracks do not match", NrgKind::DaoVersion2,
     [](std::string& s) { PutBe(s, ChunkBody(s, "SINF"), 3, 4); }, kDamaged},
    {"a TAO track running past the data", NrgKind::TaoVersion1,
     [](std::string& s) { PutBe(s, ChunkBody(s, "ETNF") + 20 + 4, 0xFFFFF6C0, 4); }, kMismatch},
    {"a TAO track of a broken sector", NrgKind::TaoVersion1,
     [](std::string& s) { PutBe(s, ChunkBody(s, "ETNF") + 4, 6 * kSectorBytes - 1, 4); },
     kMismatch},
    {"a TAO track of an unknown mode", NrgKind::TaoVersion2,
     [](std::string& s) { s[ChunkBody(s, "ETN2") + 32 + 19] = 0x42; },
     "track 2 is stored in a form that is not known"},
    {"TAO audio with subchannel data", NrgKind::TaoVersion1,
     [](std::string& s) { s[ChunkBody(s, "ETNF") + 11] = 0x10; },
     "track 1 is stored with subchannel data (2448-byte sectors), which is not supported"},
    {"a TAO chunk of no whole entry", NrgKind::TaoVersion1,
     [](std::string& s) { PutBe(s, ChunkBody(s, "ETNF") - 4, 30, 4); }, kDamaged},
    {"an empty TAO chunk", NrgKind::TaoVersion1,
     [](std::string& s) {
         const std::size_t body = ChunkBody(s, "ETNF");
         PutBe(s, body - 4, 0, 4);
         s.erase(body, 2 * 20);
     },
     kDamaged},
};

TEST_F(NrgImageTest, DamagedImagesSayWhatIsWrong)
{
    for (const Damage& damage : kDamages) {
        std::string image = test::NrgImageBytes(SmallDisc(), damage.kind, {"", false, {}});
        damage.apply(image);
        EXPECT_EQ(ProblemOf(image), damage.problem) << damage.name;
    }
}

TEST_F(NrgImageTest, FilesThatAreNoImageSaySo)
{
    EXPECT_EQ(ProblemOf(""), "it is not an NRG image");
    EXPECT_EQ(ProblemOf("NERO"), "it is not an NRG image");
    EXPECT_EQ(ProblemOf(std::string(4096, 'x')), "it is not an NRG image");
    // A cue sheet named .nrg
    EXPECT_EQ(ProblemOf("FILE \"a.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"),
              "it is not an NRG image");
    EXPECT_EQ(ReadNrgImage(dir_ / "missing.nrg").problem, "the file does not exist");
    EXPECT_EQ(ReadNrgImage(dir_.path()).problem, "it is a folder");
    ASSERT_EQ(::mkfifo((dir_ / "fifo.nrg").c_str(), 0600), 0);
    EXPECT_EQ(ReadNrgImage(dir_ / "fifo.nrg").problem, "it is not a regular file");
}

TEST_F(NrgImageTest, ChunkListsAreReadOnlyUpToTheirLimit)
{
    // Zeros, then a footer pointing at the file's start: all of it would be the chunk list.
    std::string image(kMaxNrgChunkBytes + 1, '\0');
    image += "NER5";
    image += std::string(8, '\0');
    EXPECT_EQ(ProblemOf(image), "its track list is too large for an NRG image");

    // An unknown chunk filling the list up to the limit is skipped.
    std::string large = test::NrgImageBytes(SmallDisc(), NrgKind::DaoVersion2, {"", false, {}});
    const std::size_t chunks = ChunkListOffset(large);
    const std::size_t room = kMaxNrgChunkBytes - (large.size() - 12 - chunks) - 8;
    std::string filler = "ZZZZ";
    filler.resize(8);
    PutBe(filler, 4, room, 4);
    large.insert(chunks, filler + std::string(room, '\0'));
    const ImageParse parse = Read(SmallDisc(), NrgKind::DaoVersion2, {"", false, {}});
    test::WriteFile(dir_ / "large.nrg", large);
    const ImageParse largeParse = ReadNrgImage(dir_ / "large.nrg");
    ASSERT_TRUE(largeParse.layout) << largeParse.problem;
    EXPECT_EQ(largeParse.layout->tracks.size(), parse.layout->tracks.size());
}

TEST_F(NrgImageTest, MoreThan99TracksAreRefused)
{
    std::vector<NrgTrack> tracks;
    for (int k = 0; k < 100; ++k) {
        NrgTrack track{test::AudioSectors(1, 14), 0, false, ""};
        track.session = k < 50 ? 1 : 2;
        tracks.push_back(track);
    }
    EXPECT_EQ(Read(tracks, NrgKind::TaoVersion2).problem, "it lists more than 99 tracks");
    tracks.pop_back();
    EXPECT_TRUE(Read(tracks, NrgKind::TaoVersion2).layout);
}

// Mutations of valid images, each a layout LayoutProblem accepts or a reason: never a crash,
// never a read past a buffer (the sanitizer build runs this too).
void Mutate(std::string& image, uint64_t chunks, std::mt19937& random)
{
    auto pick = [&](uint64_t count) { return count == 0 ? 0 : random() % count; };
    // Mostly in the chunk list and footer: the sectors before them only matter as a size.
    auto place = [&](uint64_t width) {
        const uint64_t last = image.size() - width;
        const uint64_t from = pick(8) == 0 ? 0 : std::min(chunks, last);
        return from + pick(last - from + 1);
    };
    const uint64_t huge[] = {0,
                             1,
                             0x7FFFFFFF,
                             0x80000000,
                             0xFFFFFFFF,
                             0xFFFFFF6A,
                             image.size(),
                             image.size() + 1,
                             kMaxNrgChunkBytes,
                             ~uint64_t{0},
                             uint64_t{1} << 63,
                             2448};
    switch (pick(7)) {
    case 0:
        for (uint64_t n = 1 + pick(4); n > 0 && !image.empty(); --n)
            image[place(1)] ^= static_cast<char>(1 << pick(8));
        break;
    case 1:
        if (image.size() >= 4)
            PutBe(image, place(4), huge[pick(std::size(huge))], 4);
        break;
    case 2:
        if (image.size() >= 8)
            PutBe(image, place(8), huge[pick(std::size(huge))], 8);
        break;
    case 3:
        image.resize(image.size() - pick(std::min<uint64_t>(image.size(), 400) + 1));
        break;
    case 4: {
        const int width = image.compare(image.size() - 12, 4, "NER5") == 0 ? 8 : 4;
        const uint64_t offset = pick(2) ? huge[pick(std::size(huge))] : chunks + pick(64) - 32;
        PutBe(image, image.size() - width, offset, width);
        break;
    }
    case 5: {
        // Cut or repeat a run of the chunk list, the footer left as it was.
        if (image.size() <= chunks + 12)
            break;
        const uint64_t at = chunks + pick(image.size() - 12 - chunks);
        const uint64_t length = 1 + pick(24);
        if (pick(2))
            image.erase(at, std::min<uint64_t>(length, image.size() - 12 - at));
        else
            image.insert(at, image.substr(at, length));
        break;
    }
    default:
        if (!image.empty())
            image[pick(image.size())] = static_cast<char>(random());
        break;
    }
}

TEST_F(NrgImageTest, FiveHundredMutationsGiveALayoutOrAReason)
{
    NrgTrack data{DataSectors(3), 0, true, ""};
    data.session = 2;
    std::vector<NrgTrack> enhanced = SmallDisc();
    enhanced.push_back(data);
    const std::vector<std::string> valid = {
        test::NrgImageBytes(SmallDisc(), NrgKind::DaoVersion2,
                            {"0123456789012", false, test::NrgCdText({"A", "B", "C"}, {"D"})}),
        test::NrgImageBytes(SmallDisc(), NrgKind::DaoVersion1, {"", false, {}}),
        test::NrgImageBytes(SmallDisc(), NrgKind::TaoVersion1),
        test::NrgImageBytes(enhanced, NrgKind::TaoVersion2),
        test::NrgImageBytes(enhanced, NrgKind::DaoVersion2, {"", false, {}}),
    };
    std::mt19937 random(20261210);
    int read = 0;
    int refused = 0;
    for (int n = 0; n < 500; ++n) {
        const std::string& original = valid[n % valid.size()];
        std::string image = original;
        const uint64_t mutations = 1 + random() % 3;
        for (uint64_t m = 0; m < mutations && image.size() >= 12; ++m)
            Mutate(image, ChunkListOffset(original), random);
        test::WriteFile(dir_ / "mutant.nrg", image);
        const ImageParse parse = ReadNrgImage(dir_ / "mutant.nrg");
        if (parse.layout) {
            EXPECT_EQ(LayoutProblem(*parse.layout), "") << "mutation " << n;
            EXPECT_EQ(parse.problem, "") << "mutation " << n;
            ++read;
        } else {
            EXPECT_NE(parse.problem, "") << "mutation " << n;
            ++refused;
        }
    }
    // Both outcomes are exercised.
    EXPECT_GT(read, 25);
    EXPECT_GT(refused, 100);
}

} // namespace
} // namespace corvath
