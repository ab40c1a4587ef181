#include "platform/cdrom/images/image_layout.h"

namespace corvath {

namespace {

// The last address a TOC's minute byte can carry is 99:59:74, two seconds of lead-in included.
constexpr uint32_t kMaxLeadOut = 100 * 60 * 75 - 150 - 1;
constexpr uint32_t kSectorBytes = 2352;

std::string ExtentProblem(const ImageLayout& layout)
{
    uint32_t end = 0;
    for (const ImageExtent& extent : layout.extents) {
        if (extent.sectorCount == 0 || extent.firstSector < end ||
            uint64_t{extent.firstSector} + extent.sectorCount > layout.leadOut)
            return "its data runs past the end of the disc or over itself";
        end = extent.firstSector + extent.sectorCount;
        if (!extent.file)
            continue;
        if (*extent.file >= layout.files.size())
            return "it reads from a data file it does not name";
        const ImageDataFile& file = layout.files[*extent.file];
        if (extent.byteOffset + uint64_t{extent.sectorCount} * kSectorBytes > file.streamBytes)
            return "its data file \"" + file.path.string() + "\" is shorter than its tracks";
    }
    return {};
}

} // namespace

std::string LayoutProblem(const ImageLayout& layout)
{
    if (layout.tracks.empty())
        return "it lists no tracks";
    if (layout.tracks.size() > 99 || layout.tracks.front().number < 1 ||
        layout.tracks.back().number > 99)
        return "its track numbers lie outside 1 to 99";
    for (std::size_t k = 0; k < layout.tracks.size(); ++k) {
        const ImageTrack& track = layout.tracks[k];
        const uint32_t end =
            k + 1 < layout.tracks.size() ? layout.tracks[k + 1].start : layout.leadOut;
        if (k > 0 && track.number != layout.tracks[k - 1].number + 1)
            return "its track numbers do not follow one another";
        if (track.start >= end)
            return "its tracks run backwards or past the end of its data";
        if (track.pregap && *track.pregap >= track.start)
            return "a track's pre-gap starts after the track";
    }
    if (layout.leadOut > kMaxLeadOut)
        return "it is longer than a CD can be";
    return ExtentProblem(layout);
}

} // namespace corvath
