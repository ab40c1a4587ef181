#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace corvath {

/// Sectors from the end of one session to the start of the next one's first track: the first
/// session's lead-out (6,750 sectors), the next session's lead-in (4,500) and the two-second
/// pre-gap of its first track (150), which an image may hold itself.
inline constexpr uint32_t kSessionGapSectors = 11400;
inline constexpr uint32_t kSessionLeadOutAndLeadIn = 11250;

/// How a data file holds its sectors' bytes.
enum class ImageFileFormat {
    Raw,          ///< sectors one after another, audio as 16-bit little-endian samples
    RawBigEndian, ///< the same with the bytes of each audio sample swapped
    Wave,         ///< a PCM WAVE file of CD audio: the sectors are its data chunk
    Flac,         ///< a FLAC file of CD audio: the sectors are its decoded samples
};

/// A data file an image reads from, checked to be a regular file inside the image's folder.
struct ImageDataFile {
    std::filesystem::path path;
    ImageFileFormat format = ImageFileFormat::Raw;
    /// Where its sectors' bytes start (a WAVE file's data chunk) and how many there are.
    uint64_t streamOffset = 0;
    uint64_t streamBytes = 0;
};

/// A run of the disc's audio sectors and where their bytes come from: a data file from a byte
/// offset into its stream, or silence (a cue sheet's PREGAP, a TOC file's SILENCE). Sectors no
/// extent covers (a session gap, a data track) cannot be read as audio.
struct ImageExtent {
    uint32_t firstSector = 0; ///< 0 = the sector at 00:02:00
    uint32_t sectorCount = 0;
    std::optional<std::size_t> file; ///< index into ImageLayout::files; none: silence
    uint64_t byteOffset = 0;         ///< into the file's stream, 2352 bytes a sector
};

struct ImageTrack {
    uint8_t number = 1;
    uint32_t start = 0;             ///< INDEX 01, 0 = the sector at 00:02:00
    std::optional<uint32_t> pregap; ///< where its pre-gap starts, when before start
    uint8_t session = 1;
    bool data = false;
    bool preEmphasis = false;
    bool copyPermitted = false;
    std::string isrc;      ///< 12 characters, or empty
    std::string title;     ///< CD-Text, UTF-8
    std::string performer; ///< CD-Text, UTF-8
};

/// A disc as an image describes it.
struct ImageLayout {
    std::vector<ImageTrack> tracks; ///< numbers and starts rising
    uint32_t leadOut = 0;           ///< the first sector after the last track
    std::string catalog;            ///< the disc's 13-digit media catalogue number, or empty
    std::string title;              ///< CD-Text of the disc, UTF-8
    std::string performer;
    std::vector<ImageDataFile> files;
    std::vector<ImageExtent> extents; ///< rising and apart
};

/// A layout, or why the image cannot be read, in words for the user ("its data file
/// \"/music/disc.bin\" is missing").
struct ImageParse {
    std::optional<ImageLayout> layout;
    std::string problem;

    static ImageParse Failed(std::string why) { return {std::nullopt, std::move(why)}; }
};

/// Whether a layout can be served as a disc: 1 to 99 tracks, numbers and starts rising, every
/// track at least one sector long, the lead-out after the last track and below 100 minutes,
/// extents rising, apart, inside the disc and inside their files' streams. Empty when so, else
/// the problem in words for the user.
std::string LayoutProblem(const ImageLayout& layout);

} // namespace corvath
