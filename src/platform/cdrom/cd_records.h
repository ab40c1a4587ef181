#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace corvath {

/// The records the CD access layer exchanges with its callers; each starts zero-filled.

inline constexpr std::size_t kCdMaxDrives = 8;
inline constexpr std::size_t kCdMaxTocEntries = 100;
inline constexpr std::size_t kCdMaxCddbMatches = 10;
inline constexpr uint32_t kCdSectorBytes = 2352;
/// Sectors before a disc's first track in the addresses a drive reports (two seconds).
inline constexpr uint32_t kCdLeadInSectors = 150;

/// ModifyCDParms: TOC addresses as minute/second/frame instead of sector numbers.
inline constexpr int32_t kCdParmMsfAddresses = 36;

/// A drive (or a registered disc image) as the layer addresses it.
struct CdDriveInfo {
    uint8_t HostAdapter = 0;
    uint8_t Target = 0;
    uint8_t Lun = 0;
    std::array<char, 65> Identification{}; // the device or image path, NUL-terminated
    std::array<char, 9> Vendor{};          // NUL-terminated
    std::array<char, 17> Product{};        // NUL-terminated
};

/// The caller sets Capacity; the layer fills Count and the entries: the machine's CD drives
/// first, then the registered disc images.
struct CdDriveList {
    uint8_t Capacity = kCdMaxDrives;
    uint8_t Count = 0;
    std::array<CdDriveInfo, kCdMaxDrives> Drives{};
};

struct CdHandleRequest {
    uint8_t Size = 12;
    uint8_t Version = 1;
    uint8_t HostAdapter = 0;
    uint8_t Target = 0;
    uint8_t Lun = 0;
    uint8_t ReadType = 0; // any
    bool JitterCorrection = false;
    uint8_t JitterFrames = 0;
    uint8_t OverlapFrames = 0;
};

/// ADR/control bits: a data track, digital copies permitted, audio with pre-emphasis.
inline constexpr uint8_t kCdDataTrackControl = 0x04;
inline constexpr uint8_t kCdCopyPermittedControl = 0x02;
inline constexpr uint8_t kCdPreEmphasisControl = 0x01;

/// The track number of a TOC's lead-out entry.
inline constexpr uint8_t kCdLeadOutTrack = 0xAA;

struct CdTocEntry {
    uint8_t Reserved1 = 0;
    uint8_t AdrControl = 0;  // ADR in the high nibble, control in the low one
    uint8_t TrackNumber = 0; // 0xAA for the lead-out
    uint8_t Reserved2 = 0;
    /// Minute, second and frame in bytes 1 to 3 once MSF addresses are on (kCdParmMsfAddresses),
    /// else the sector number, most significant byte first.
    std::array<uint8_t, 4> Address{};
};

/// Whether the entry's control bits mark a data track, which holds no audio.
inline bool IsDataTrack(const CdTocEntry& entry)
{
    return (entry.AdrControl & kCdDataTrackControl) != 0;
}

/// Entry k describes the k-th track from FirstTrack; the entry after LastTrack's is the
/// lead-out.
struct CdToc {
    uint16_t Length = 0;
    uint8_t FirstTrack = 0;
    uint8_t LastTrack = 0;
    std::array<CdTocEntry, kCdMaxTocEntries> Entries{};
};

/// How much of what a disc tells beyond its TOC to read: a drive reads the catalogue number and
/// ISRCs from the subchannel, which can take seconds, its CD-Text and flags at once.
enum class CdFactsDepth { TextAndFlags, WithCodes };

/// What a disc tells beyond its TOC, where the drive or image knows it; texts are UTF-8.
struct CdTrackFacts {
    uint8_t Session = 1;
    bool PreEmphasis = false;
    std::string Isrc;      ///< 12 characters, or empty
    std::string Title;     ///< CD-Text
    std::string Performer; ///< CD-Text
};
struct CdDiscFacts {
    std::string Catalog; ///< the media catalogue number (13 digits), or empty
    std::string Title;   ///< CD-Text
    std::string Performer;
    std::vector<CdTrackFacts> Tracks; ///< one per TOC track, from the first
};

/// One raw audio read: the caller sets StartSector, SectorCount and Capacity (SectorCount x
/// 2352) and sizes Data to Capacity; the layer fills ReturnedBytes and DataOffset (16-bit
/// little-endian stereo samples, left first, at Data[DataOffset]).
struct CdTrackBuffer {
    uint32_t StartSector = 0;
    uint32_t SectorCount = 0;
    uint32_t Capacity = 0;
    uint32_t ReturnedBytes = 0;
    uint32_t Status = 0;
    uint32_t DataOffset = 0;
    std::vector<uint8_t> Data;
};

/// A disc a CDDB server knows, as its query answer names it.
struct CddbMatch {
    std::string Category;
    std::string DiscId;
    std::string Title;
};

/// The caller sets Count to the room it offers (at most 10); a query sets it to the matches
/// found.
struct CddbMatchList {
    uint32_t Count = kCdMaxCddbMatches;
    std::array<CddbMatch, kCdMaxCddbMatches> Matches{};
};

/// CDDBSetOption's option numbers.
enum CddbOption : int32_t {
    kCddbServer = 0,       // host name
    kCddbProxyAddress = 1, // proxy host name
    kCddbUseProxy = 2,     // number 1: on
    kCddbClient = 3,       // "<program> <version>"
    kCddbEmail = 4,        // user@host for the greeting
    kCddbProxyPort = 5,    // number
    kCddbScript = 6,       // path of the server's script
    kCddbReserved = 8,     // set to empty text; no effect
};

} // namespace corvath
