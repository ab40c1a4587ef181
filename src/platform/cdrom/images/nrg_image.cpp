#include "platform/cdrom/images/nrg_image.h"

#include "platform/cdrom/cd_records.h"
#include "platform/cdrom/disc_codes.h"
#include "platform/cdrom/images/data_file.h"
#include "platform/text/utf8_text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace corvath {

namespace {

constexpr uint32_t kSectorBytes = 2352;
constexpr uint32_t kSubchannelSectorBytes = 2448;
// Track-at-once writing leaves two seconds before every track but the first.
constexpr int64_t kTaoGapSectors = 150;
// Track 1's INDEX 00 usually sits at 00:00:00, before the first sector of the layout.
constexpr int64_t kLeadInSectors = 150;
// Anything longer fails LayoutProblem; the bound keeps the sums below from overflowing.
constexpr int64_t kMaxSectors = 100 * 60 * 75;
constexpr std::size_t kMaxTracks = 99;
constexpr uint8_t kControlCopyPermitted = 0x2;
constexpr uint8_t kControlPreEmphasis = 0x1;
// Modes of DAO and ETN entries.
constexpr uint8_t kModeAudio = 0x07;
constexpr uint8_t kModeAudioSubchannel = 0x10;

const char* const kNotNrg = "it is not an NRG image";
const char* const kDamaged = "its track list is damaged";
const char* const kMismatch = "its track list does not match its data";

uint64_t Be(const uint8_t* bytes, std::size_t width)
{
    uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value = value << 8 | bytes[i];
    return value;
}

// Big-endian fields of a chunk, read in order; nothing is read past its end.
class Fields {
public:
    explicit Fields(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    std::size_t Left() const { return bytes_.size() - at_; }

    std::optional<std::span<const uint8_t>> Take(std::size_t count)
    {
        if (count > Left())
            return std::nullopt;
        at_ += count;
        return bytes_.subspan(at_ - count, count);
    }

    bool Skip(std::size_t count) { return Take(count).has_value(); }

    /// An unsigned number of width bytes (1 to 8).
    bool Read(uint64_t& value, std::size_t width)
    {
        const auto field = Take(width);
        if (field)
            value = Be(field->data(), width);
        return field.has_value();
    }

private:
    std::span<const uint8_t> bytes_;
    std::size_t at_ = 0;
};

struct CuePoint {
    uint8_t control = 0;
    uint8_t track = 0; ///< 0: the lead-in, kCdLeadOutTrack: the lead-out
    uint8_t index = 0;
    int64_t sector = 0;
};

struct DaoEntry {
    std::string isrc;
    uint64_t sectorBytes = 0;
    uint8_t mode = 0;
    uint64_t index0 = 0; ///< byte offsets in the image
    uint64_t index1 = 0;
    uint64_t end = 0;
};

struct DaoChunk {
    std::string catalog;
    uint8_t firstTrack = 0;
    std::vector<DaoEntry> tracks;
};

struct EtnEntry {
    uint64_t offset = 0;
    uint64_t length = 0;
    uint8_t mode = 0;
};

// A session as its chunks tell it: cue points and a DAO chunk, or ETN entries.
struct Session {
    std::vector<CuePoint> cues;
    std::optional<DaoChunk> dao;
    std::vector<EtnEntry> etn;

    std::size_t TrackCount() const { return dao ? dao->tracks.size() : etn.size(); }
};

struct Chunks {
    std::vector<Session> sessions;
    std::vector<uint64_t> sessionTracks; ///< from SINF chunks
    std::span<const uint8_t> cdText;
};

std::optional<uint8_t> FromBcd(uint8_t value)
{
    if ((value >> 4) > 9 || (value & 0x0F) > 9)
        return std::nullopt;
    return static_cast<uint8_t>((value >> 4) * 10 + (value & 0x0F));
}

// A fixed-width text field, kept only when it is a catalogue number or an ISRC; images without
// one hold zero bytes (or zero digits) there.
std::string Catalog(std::span<const uint8_t> field)
{
    std::string text(field.begin(), field.end());
    return IsCatalogNumber(text) ? text : std::string();
}

std::string Isrc(std::span<const uint8_t> field)
{
    std::string text(field.begin(), field.end());
    return IsIsrc(text) ? text : std::string();
}

// CUES points give MSF addresses, CUEX points signed sector numbers.
bool ReadCues(Fields fields, bool msf, std::vector<CuePoint>& points)
{
    constexpr std::size_t kPointBytes = 8;
    // A lead-in, a lead-out, and 100 indexes for each of 99 tracks.
    constexpr std::size_t kMaxPoints = 2 + kMaxTracks * 100;
    if (fields.Left() % kPointBytes != 0 || fields.Left() / kPointBytes > kMaxPoints)
        return false;
    while (fields.Left() > 0) {
        const std::span<const uint8_t> bytes = *fields.Take(kPointBytes);
        const std::optional<uint8_t> track =
            bytes[1] == kCdLeadOutTrack ? kCdLeadOutTrack : FromBcd(bytes[1]);
        const std::optional<uint8_t> index = FromBcd(bytes[2]);
        if (!track || !index)
            return false;
        CuePoint point{static_cast<uint8_t>(bytes[0] >> 4), *track, *index, 0};
        if (msf) {
            // A zero byte, then minute, second and frame.
            if (bytes[6] >= 60 || bytes[7] >= 75)
                return false;
            point.sector = (int64_t{bytes[5]} * 60 + bytes[6]) * 75 + bytes[7] - kLeadInSectors;
        } else {
            point.sector = static_cast<int32_t>(Be(bytes.data() + 4, 4));
        }
        points.push_back(point);
    }
    return true;
}

// DAOI entries hold 32-bit offsets, DAOX entries 64-bit ones.
bool ReadDao(Fields fields, bool wide, DaoChunk& dao)
{
    const std::size_t offsetBytes = wide ? 8 : 4;
    const std::size_t entryBytes = 12 + 2 + 1 + 1 + 2 + 3 * offsetBytes;
    uint64_t first = 0;
    uint64_t last = 0;
    // The chunk's size again, the catalogue, a zero byte and the TOC type before the numbers.
    if (!fields.Skip(4))
        return false;
    const auto catalog = fields.Take(13);
    if (!catalog || !fields.Skip(1 + 2) || !fields.Read(first, 1) || !fields.Read(last, 1) ||
        fields.Left() % entryBytes != 0)
        return false;
    const std::size_t count = fields.Left() / entryBytes;
    if (first < 1 || last > kMaxTracks || last < first || last - first + 1 != count)
        return false;
    dao.catalog = Catalog(*catalog);
    dao.firstTrack = static_cast<uint8_t>(first);
    for (std::size_t k = 0; k < count; ++k) {
        DaoEntry entry;
        uint64_t mode = 0;
        entry.isrc = Isrc(*fields.Take(12));
        fields.Read(entry.sectorBytes, 2);
        fields.Read(mode, 1);
        fields.Skip(1 + 2);
        fields.Read(entry.index0, offsetBytes);
        fields.Read(entry.index1, offsetBytes);
        fields.Read(entry.end, offsetBytes);
        entry.mode = static_cast<uint8_t>(mode);
        dao.tracks.push_back(std::move(entry));
    }
    return true;
}

// ETNF entries hold 32-bit offsets and lengths, ETN2 entries 64-bit ones. Their start sector
// is left alone: it counts the image's sectors, not the disc's.
bool ReadEtn(Fields fields, bool wide, std::vector<EtnEntry>& entries)
{
    const std::size_t numberBytes = wide ? 8 : 4;
    const std::size_t entryBytes = 2 * numberBytes + 4 + 4 + numberBytes;
    if (fields.Left() == 0 || fields.Left() % entryBytes != 0 ||
        fields.Left() / entryBytes > kMaxTracks)
        return false;
    while (fields.Left() > 0) {
        EtnEntry entry;
        uint64_t mode = 0;
        fields.Read(entry.offset, numberBytes);
        fields.Read(entry.length, numberBytes);
        // The mode is the word's last byte.
        fields.Read(mode, 4);
        fields.Skip(4 + numberBytes);
        entry.mode = static_cast<uint8_t>(mode);
        entries.push_back(entry);
    }
    return true;
}

bool IdIs(std::span<const uint8_t> id, const char* name)
{
    return std::memcmp(id.data(), name, 4) == 0;
}

std::string ReadChunks(std::span<const uint8_t> area, Chunks& chunks)
{
    Fields fields(area);
    std::optional<std::vector<CuePoint>> cues;
    for (;;) {
        const auto id = fields.Take(4);
        uint64_t length = 0;
        if (!id || !fields.Read(length, 4))
            return kDamaged;
        const auto body = fields.Take(length);
        if (!body)
            return kDamaged;
        if (IdIs(*id, "END!"))
            break;
        if (IdIs(*id, "CUES") || IdIs(*id, "CUEX")) {
            cues.emplace();
            if (!ReadCues(Fields(*body), IdIs(*id, "CUES"), *cues))
                return kDamaged;
        } else if (IdIs(*id, "DAOI") || IdIs(*id, "DAOX")) {
            // A DAO chunk describes the tracks of the cue points just before it.
            DaoChunk dao;
            if (!cues || !ReadDao(Fields(*body), IdIs(*id, "DAOX"), dao))
                return kDamaged;
            chunks.sessions.push_back({std::move(*cues), std::move(dao), {}});
            cues.reset();
        } else if (IdIs(*id, "ETNF") || IdIs(*id, "ETN2")) {
            Session session;
            if (cues || !ReadEtn(Fields(*body), IdIs(*id, "ETN2"), session.etn))
                return kDamaged;
            chunks.sessions.push_back(std::move(session));
        } else if (IdIs(*id, "SINF")) {
            // The number of tracks in a session, one chunk for each.
            uint64_t tracks = 0;
            if (length != 4 || !Fields(*body).Read(tracks, 4))
                return kDamaged;
            chunks.sessionTracks.push_back(tracks);
        } else if (IdIs(*id, "CDTX")) {
            if (chunks.cdText.empty())
                chunks.cdText = *body;
        } else if (IdIs(*id, "NERO") || IdIs(*id, "NER5")) {
            return kDamaged;
        }
        // MTYP and chunks of unknown kinds say nothing about the layout.
        if (chunks.sessions.size() > kMaxTracks || chunks.sessionTracks.size() > kMaxTracks)
            return kDamaged;
    }
    if (cues)
        return kDamaged;
    return chunks.sessions.empty() ? "it lists no tracks" : "";
}

std::string SubchannelProblem(int track)
{
    return "track " + std::to_string(track) +
           " is stored with subchannel data (2448-byte sectors), which is not supported";
}

// The layout built session by session.
struct Build {
    ImageLayout layout;
    uint64_t dataBytes = 0; ///< the image's bytes before its chunk list
    int64_t end = 0;        ///< the first sector after the sessions so far
    uint8_t sessions = 0;
};

struct TrackPoints {
    std::optional<int64_t> index0;
    std::optional<int64_t> index1;
    uint8_t control = 0;
};

// The cue points of a session's tracks and its lead-out, checked to rise in order.
std::optional<int64_t> GatherPoints(const Session& session, std::vector<TrackPoints>& tracks)
{
    const uint8_t first = session.dao->firstTrack;
    std::optional<int64_t> leadOut;
    std::optional<int64_t> previous;
    uint8_t lastTrack = 0;
    uint8_t lastIndex = 0;
    for (const CuePoint& point : session.cues) {
        if (leadOut || (previous && point.sector < *previous))
            return std::nullopt;
        if (point.track == 0) {
            if (lastTrack != 0)
                return std::nullopt;
            continue;
        }
        previous = point.sector;
        if (point.track == kCdLeadOutTrack) {
            leadOut = point.sector;
            continue;
        }
        if (point.track < first || point.track - first >= static_cast<int>(tracks.size()) ||
            point.track < lastTrack || (point.track == lastTrack && point.index <= lastIndex))
            return std::nullopt;
        lastTrack = point.track;
        lastIndex = point.index;
        TrackPoints& track = tracks[point.track - first];
        if (point.index == 0) {
            track.index0 = point.sector;
        } else if (point.index == 1) {
            track.index1 = point.sector;
            track.control = point.control;
        }
    }
    return leadOut;
}

std::string AddDaoSession(Build& build, const Session& session)
{
    const DaoChunk& dao = *session.dao;
    std::vector<TrackPoints> points(dao.tracks.size());
    const std::optional<int64_t> leadOut = GatherPoints(session, points);
    if (!leadOut || *leadOut > kMaxSectors)
        return kDamaged;
    const int64_t lowest = build.sessions == 0 ? -kLeadInSectors : build.end;
    for (const TrackPoints& track : points) {
        if (!track.index1 || *track.index1 < std::max<int64_t>(lowest, 0) ||
            track.index0.value_or(*track.index1) < lowest)
            return kDamaged;
    }
    for (std::size_t k = 0; k < points.size(); ++k) {
        const DaoEntry& entry = dao.tracks[k];
        const int64_t start = *points[k].index1;
        const int64_t first = points[k].index0.value_or(start);
        const int64_t next =
            k + 1 < points.size() ? points[k + 1].index0.value_or(*points[k + 1].index1) : *leadOut;
        const int number = dao.firstTrack + static_cast<int>(k);
        const uint8_t control = points[k].control;
        const bool data = (control & kCdDataTrackControl) != 0;
        if (entry.index0 > entry.index1 || entry.index1 > entry.end || entry.end > build.dataBytes)
            return kMismatch;
        if (!data &&
            (entry.mode == kModeAudioSubchannel || entry.sectorBytes == kSubchannelSectorBytes))
            return SubchannelProblem(number);
        if (data == (entry.mode == kModeAudio))
            return kMismatch;
        ImageTrack track;
        track.number = static_cast<uint8_t>(number);
        track.start = static_cast<uint32_t>(start);
        track.session = static_cast<uint8_t>(build.sessions + 1);
        track.data = data;
        track.preEmphasis = (control & kControlPreEmphasis) != 0;
        track.copyPermitted = (control & kControlCopyPermitted) != 0;
        track.isrc = entry.isrc;
        const int64_t pregap = std::max<int64_t>(first, 0);
        if (pregap < start)
            track.pregap = static_cast<uint32_t>(pregap);
        if (!data) {
            if (entry.sectorBytes != kSectorBytes ||
                entry.index1 - entry.index0 != uint64_t(start - first) * kSectorBytes ||
                entry.end - entry.index0 != uint64_t(next - first) * kSectorBytes)
                return kMismatch;
            if (next > pregap)
                build.layout.extents.push_back(
                    {static_cast<uint32_t>(pregap), static_cast<uint32_t>(next - pregap), 0,
                     entry.index0 + uint64_t(pregap - first) * kSectorBytes});
        }
        build.layout.tracks.push_back(std::move(track));
    }
    if (build.layout.catalog.empty())
        build.layout.catalog = dao.catalog;
    build.end = *leadOut;
    ++build.sessions;
    return {};
}

// Bytes a sector of each mode takes in the image; 0 for modes not known.
uint32_t TaoSectorBytes(uint8_t mode)
{
    switch (mode) {
    case 0x00:
    case 0x02:
        return 2048;
    case 0x03:
        return 2336;
    case 0x05:
    case 0x06:
    case kModeAudio:
        return kSectorBytes;
    case 0x0F:
    case kModeAudioSubchannel:
    case 0x11:
        return kSubchannelSectorBytes;
    default:
        return 0;
    }
}

std::string AddTaoSession(Build& build, const Session& session)
{
    int64_t at = build.sessions == 0 ? 0 : build.end + kSessionGapSectors;
    for (std::size_t k = 0; k < session.etn.size(); ++k) {
        const EtnEntry& entry = session.etn[k];
        const int number = build.layout.tracks.empty() ? 1 : build.layout.tracks.back().number + 1;
        const uint32_t sectorBytes = TaoSectorBytes(entry.mode);
        if (entry.mode == kModeAudioSubchannel)
            return SubchannelProblem(number);
        if (sectorBytes == 0)
            return "track " + std::to_string(number) + " is stored in a form that is not known";
        if (entry.length == 0 || entry.length % sectorBytes != 0 ||
            entry.offset > build.dataBytes || entry.length > build.dataBytes - entry.offset)
            return kMismatch;
        const auto sectors = static_cast<int64_t>(entry.length / sectorBytes);
        if (sectors > kMaxSectors || at + kTaoGapSectors + sectors > kMaxSectors)
            return "it is longer than a CD can be";
        const bool audio = entry.mode == kModeAudio;
        ImageTrack track;
        track.number = static_cast<uint8_t>(number);
        track.session = static_cast<uint8_t>(build.sessions + 1);
        track.data = !audio;
        if (k > 0) {
            // The gap is silence the image does not hold.
            track.pregap = static_cast<uint32_t>(at);
            if (audio)
                build.layout.extents.push_back({static_cast<uint32_t>(at),
                                                static_cast<uint32_t>(kTaoGapSectors), std::nullopt,
                                                0});
            at += kTaoGapSectors;
        }
        track.start = static_cast<uint32_t>(at);
        if (audio)
            build.layout.extents.push_back(
                {track.start, static_cast<uint32_t>(sectors), 0, entry.offset});
        at += sectors;
        build.layout.tracks.push_back(std::move(track));
    }
    build.end = at;
    ++build.sessions;
    return {};
}

// CD-Text of the first block in a single-byte character set. A kind's text runs on from pack
// to pack, a NUL after each track's string, from the track of its first pack on; a lone tab
// repeats the string before it.
void ApplyCdText(std::span<const uint8_t> packs, ImageLayout& layout)
{
    constexpr std::size_t kPackBytes = 18;
    constexpr uint8_t kTitle = 0x80;
    constexpr uint8_t kPerformer = 0x81;
    constexpr uint8_t kSizeInformation = 0x8F;
    struct Kind {
        std::string text;
        int firstTrack = -1;
    };
    Kind titles;
    Kind performers;
    int characterSet = -1;
    for (std::size_t at = 0; at + kPackBytes <= packs.size(); at += kPackBytes) {
        const uint8_t* pack = packs.data() + at;
        const bool firstBlock = (pack[3] & 0x70) == 0;
        const bool doubleByte = (pack[3] & 0x80) != 0;
        if (!firstBlock)
            continue;
        if (pack[0] == kSizeInformation && pack[1] == 0)
            characterSet = pack[4];
        Kind* kind = pack[0] == kTitle ? &titles : pack[0] == kPerformer ? &performers : nullptr;
        if (kind == nullptr || doubleByte)
            continue;
        if (kind->firstTrack < 0)
            kind->firstTrack = pack[1] & 0x7F;
        kind->text.append(reinterpret_cast<const char*>(pack + 4), 12);
    }
    // ISO 8859-1 or ASCII; the double-byte sets are left alone.
    if (characterSet != 0x00 && characterSet != 0x01)
        return;
    auto apply = [&](const Kind& kind, std::string ImageTrack::*field, std::string& discField) {
        std::string previous;
        std::size_t from = 0;
        for (int track = kind.firstTrack; track <= static_cast<int>(kMaxTracks); ++track) {
            const std::size_t nul = kind.text.find('\0', from);
            if (nul == std::string::npos)
                break;
            std::string value = kind.text.substr(from, nul - from);
            from = nul + 1;
            if (value == "\t")
                value = previous;
            previous = value;
            if (track == 0)
                discField = Utf8OrWindows1252(value);
            for (ImageTrack& t : layout.tracks) {
                if (t.number == track)
                    t.*field = Utf8OrWindows1252(value);
            }
        }
    };
    apply(titles, &ImageTrack::title, layout.title);
    apply(performers, &ImageTrack::performer, layout.performer);
}

} // namespace

ImageParse ReadNrgImage(const std::filesystem::path& nrgFile)
{
    std::string problem;
    const UniqueFd fd = OpenRegularFile(nrgFile, problem);
    if (!fd)
        return ImageParse::Failed(problem);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        return ImageParse::Failed(CannotReadProblem());
    const auto size = static_cast<uint64_t>(status.st_size);
    std::array<uint8_t, 12> footer{};
    if (size < 8)
        return ImageParse::Failed(kNotNrg);
    const std::size_t tail = std::min<uint64_t>(size, footer.size());
    if (!ReadAt(fd.get(), footer.data() + footer.size() - tail, tail, size - tail))
        return ImageParse::Failed(CannotReadProblem());
    uint64_t chunkOffset = 0;
    uint64_t footerBytes = 0;
    if (size >= 12 && std::memcmp(footer.data(), "NER5", 4) == 0) {
        chunkOffset = Be(footer.data() + 4, 8);
        footerBytes = 12;
    } else if (std::memcmp(footer.data() + 4, "NERO", 4) == 0) {
        chunkOffset = Be(footer.data() + 8, 4);
        footerBytes = 8;
    } else {
        return ImageParse::Failed(kNotNrg);
    }
    if (chunkOffset >= size - footerBytes)
        return ImageParse::Failed(kDamaged);
    if (size - footerBytes - chunkOffset > kMaxNrgChunkBytes)
        return ImageParse::Failed("its track list is too large for an NRG image");
    std::vector<uint8_t> area(size - footerBytes - chunkOffset);
    if (!ReadAt(fd.get(), area.data(), area.size(), chunkOffset))
        return ImageParse::Failed(CannotReadProblem());

    Chunks chunks;
    problem = ReadChunks(area, chunks);
    if (!problem.empty())
        return ImageParse::Failed(problem);
    std::size_t trackCount = 0;
    for (const Session& session : chunks.sessions)
        trackCount += session.TrackCount();
    if (trackCount > kMaxTracks)
        return ImageParse::Failed("it lists more than 99 tracks");
    if (!chunks.sessionTracks.empty()) {
        if (chunks.sessionTracks.size() != chunks.sessions.size())
            return ImageParse::Failed(kDamaged);
        for (std::size_t s = 0; s < chunks.sessions.size(); ++s) {
            if (chunks.sessionTracks[s] != chunks.sessions[s].TrackCount())
                return ImageParse::Failed(kDamaged);
        }
    }

    Build build;
    build.dataBytes = chunkOffset;
    for (const Session& session : chunks.sessions) {
        problem = session.dao ? AddDaoSession(build, session) : AddTaoSession(build, session);
        if (!problem.empty())
            return ImageParse::Failed(problem);
    }
    ImageLayout& layout = build.layout;
    layout.leadOut = static_cast<uint32_t>(build.end);
    std::error_code error;
    std::filesystem::path path = std::filesystem::weakly_canonical(nrgFile, error);
    if (error)
        path = nrgFile;
    layout.files.push_back({path, ImageFileFormat::Raw, 0, chunkOffset});
    ApplyCdText(chunks.cdText, layout);
    problem = LayoutProblem(layout);
    if (!problem.empty())
        return ImageParse::Failed(problem);
    return {std::move(layout), {}};
}

} // namespace corvath
