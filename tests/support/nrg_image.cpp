#include "support/nrg_image.h"

#include "platform/cdrom/images/image_layout.h"
#include "support/temp_dir.h"

#include <algorithm>

namespace corvath::test {

namespace {

constexpr uint32_t kSectorBytes = 2352;
constexpr int64_t kLeadInSectors = 150;

void Put(std::string& bytes, uint64_t value, int width)
{
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8)
        bytes.push_back(static_cast<char>(value >> shift));
}

// A fixed-width text field, padded with zero bytes.
void PutText(std::string& bytes, const std::string& text, std::size_t width)
{
    std::string field = text.substr(0, width);
    field.resize(width, '\0');
    bytes += field;
}

void PutChunk(std::string& bytes, const char* id, const std::string& body)
{
    bytes.append(id, 4);
    Put(bytes, body.size(), 4);
    bytes += body;
}

uint8_t Bcd(int value)
{
    return static_cast<uint8_t>((value / 10) << 4 | value % 10);
}

// A cue point: CUES gives a zero byte and minute, second, frame; CUEX a signed sector.
void PutCuePoint(std::string& bytes, bool msf, bool data, uint8_t track, uint8_t index,
                 int64_t sector)
{
    bytes.push_back(static_cast<char>((data ? 0x41 : 0x01)));
    bytes.push_back(static_cast<char>(track));
    bytes.push_back(static_cast<char>(index));
    bytes.push_back('\0');
    if (msf) {
        const int64_t address = sector + kLeadInSectors;
        bytes.push_back('\0');
        bytes.push_back(static_cast<char>(address / 4500));
        bytes.push_back(static_cast<char>(address / 75 % 60));
        bytes.push_back(static_cast<char>(address % 75));
    } else {
        Put(bytes, static_cast<uint32_t>(static_cast<int32_t>(sector)), 4);
    }
}

// The tracks' indexes grouped by session, in order.
std::vector<std::vector<std::size_t>> Sessions(const std::vector<NrgTrack>& tracks)
{
    std::vector<std::vector<std::size_t>> sessions;
    for (std::size_t k = 0; k < tracks.size(); ++k) {
        if (sessions.empty() || tracks[k].session != tracks[sessions.back().front()].session)
            sessions.emplace_back();
        sessions.back().push_back(k);
    }
    return sessions;
}

std::string DaoChunks(const std::vector<NrgTrack>& tracks, bool version2, const NrgOptions& options,
                      std::string& data)
{
    const int offsetBytes = version2 ? 8 : 4;
    std::string chunks;
    int64_t sector = 0;
    if (options.leadIn)
        data.append(std::size_t{kLeadInSectors} * kSectorBytes, '\0');
    for (const std::vector<std::size_t>& session : Sessions(tracks)) {
        if (session.front() > 0)
            sector += kSessionGapSectors;
        std::string cues;
        std::string dao;
        const bool firstData = tracks[session.front()].data;
        const int64_t sessionFirst =
            session.front() == 0 && options.leadIn ? -kLeadInSectors : sector;
        PutCuePoint(cues, !version2, firstData, 0, 0, sessionFirst);
        for (const std::size_t k : session) {
            const NrgTrack& track = tracks[k];
            const auto number = static_cast<uint8_t>(k + 1);
            const bool leadIn = k == 0 && options.leadIn;
            const int64_t index0 = leadIn ? -kLeadInSectors : sector;
            const uint64_t index0Offset =
                data.size() - (leadIn ? uint64_t{kLeadInSectors} * kSectorBytes : 0);
            const int64_t index1 = sector + track.pregap;
            PutCuePoint(cues, !version2, track.data, Bcd(number), 0, index0);
            PutCuePoint(cues, !version2, track.data, Bcd(number), 1, index1);
            data.append(track.sectors.begin(), track.sectors.end());
            sector += static_cast<int64_t>(track.sectors.size() / kSectorBytes);

            PutText(dao, track.isrc, 12);
            Put(dao, kSectorBytes, 2);
            Put(dao, track.data ? 0x05 : 0x07, 1);
            Put(dao, 0, 1);
            Put(dao, 1, 2);
            Put(dao, index0Offset, offsetBytes);
            Put(dao, index0Offset + (index1 - index0) * kSectorBytes, offsetBytes);
            Put(dao, data.size(), offsetBytes);
        }
        PutCuePoint(cues, !version2, tracks[session.back()].data, 0xAA, 1, sector);

        std::string header;
        const std::size_t size = 22 + dao.size();
        Put(header, size, 4);
        PutText(header, options.catalog, 13);
        Put(header, 0, 1);
        Put(header, firstData ? 1 : 0, 2);
        Put(header, session.front() + 1, 1);
        Put(header, session.back() + 1, 1);
        PutChunk(chunks, version2 ? "CUEX" : "CUES", cues);
        PutChunk(chunks, version2 ? "DAOX" : "DAOI", header + dao);
    }
    return chunks;
}

std::string TaoChunks(const std::vector<NrgTrack>& tracks, bool version2, std::string& data)
{
    const int numberBytes = version2 ? 8 : 4;
    std::string chunks;
    for (const std::vector<std::size_t>& session : Sessions(tracks)) {
        std::string entries;
        for (const std::size_t k : session) {
            const NrgTrack& track = tracks[k];
            Put(entries, data.size(), numberBytes);
            Put(entries, track.sectors.size(), numberBytes);
            Put(entries, track.data ? 0x05 : 0x07, 4);
            // Nero counts the image's sectors here.
            Put(entries, data.size() / kSectorBytes, 4);
            Put(entries, 0, numberBytes);
            data.append(track.sectors.begin(), track.sectors.end());
        }
        PutChunk(chunks, version2 ? "ETN2" : "ETNF", entries);
    }
    return chunks;
}

// A CD-Text pack's text for one kind: the strings one after another, each ended by a NUL.
void PutCdTextPacks(std::string& packs, uint8_t type, const std::vector<std::string>& strings,
                    int& sequence)
{
    std::string text;
    std::vector<int> trackOfByte;
    std::vector<int> positionOfByte;
    for (std::size_t t = 0; t < strings.size(); ++t) {
        for (std::size_t i = 0; i <= strings[t].size(); ++i) {
            text.push_back(i < strings[t].size() ? strings[t][i] : '\0');
            trackOfByte.push_back(static_cast<int>(t));
            positionOfByte.push_back(static_cast<int>(std::min<std::size_t>(i, 15)));
        }
    }
    for (std::size_t at = 0; at < text.size(); at += 12) {
        packs.push_back(static_cast<char>(type));
        packs.push_back(static_cast<char>(trackOfByte[at]));
        packs.push_back(static_cast<char>(sequence++));
        packs.push_back(static_cast<char>(positionOfByte[at]));
        PutText(packs, text.substr(at, 12), 12);
        Put(packs, 0, 2);
    }
}

} // namespace

std::string NrgImageBytes(const std::vector<NrgTrack>& tracks, NrgKind kind,
                          const NrgOptions& options)
{
    const bool version2 = kind == NrgKind::DaoVersion2 || kind == NrgKind::TaoVersion2;
    const bool dao = kind == NrgKind::DaoVersion2 || kind == NrgKind::DaoVersion1;
    std::string image;
    std::string chunks =
        dao ? DaoChunks(tracks, version2, options, image) : TaoChunks(tracks, version2, image);
    if (!options.cdText.empty())
        PutChunk(chunks, "CDTX", options.cdText);
    for (const std::vector<std::size_t>& session : Sessions(tracks)) {
        std::string count;
        Put(count, session.size(), 4);
        PutChunk(chunks, "SINF", count);
    }
    std::string mediaType;
    Put(mediaType, 1, 4);
    PutChunk(chunks, "MTYP", mediaType);
    PutChunk(chunks, "END!", "");
    const uint64_t chunkOffset = image.size();
    image += chunks;
    image += version2 ? "NER5" : "NERO";
    Put(image, chunkOffset, version2 ? 8 : 4);
    return image;
}

void WriteNrgImage(const std::filesystem::path& file, const std::vector<NrgTrack>& tracks,
                   NrgKind kind, const NrgOptions& options)
{
    WriteFile(file, NrgImageBytes(tracks, kind, options));
}

std::string NrgCdText(const std::vector<std::string>& titles,
                      const std::vector<std::string>& performers)
{
    std::string packs;
    int sequence = 0;
    PutCdTextPacks(packs, 0x80, titles, sequence);
    PutCdTextPacks(packs, 0x81, performers, sequence);
    for (int k = 0; k < 3; ++k) {
        packs.push_back(static_cast<char>(0x8F));
        packs.push_back(static_cast<char>(k));
        packs.push_back(static_cast<char>(sequence++));
        packs.push_back('\0');
        std::string payload(12, '\0');
        if (k == 0) {
            payload[0] = 0x00; // ISO 8859-1
            payload[1] = 1;
            payload[2] = static_cast<char>(std::max<std::size_t>(titles.size(), 2) - 1);
        }
        packs += payload;
        Put(packs, 0, 2);
    }
    return packs;
}

} // namespace corvath::test
