#include "platform/cdrom/images/image_disc.h"

#include "platform/cdrom/images/cue_image.h"
#include "platform/cdrom/images/data_file.h"
#include "platform/cdrom/images/flac_sectors.h"
#include "platform/cdrom/images/nrg_image.h"
#include "platform/cdrom/images/toc_image.h"
#include "platform/text/ascii_case.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace corvath {

namespace {

constexpr uint32_t kSectorBytes = kCdSectorBytes;
constexpr uint32_t kFramesPerSector = kSectorBytes / 4;

void SwapSampleBytes(uint8_t* data, std::size_t size)
{
    for (std::size_t i = 0; i + 1 < size; i += 2)
        std::swap(data[i], data[i + 1]);
}

uint8_t Control(const ImageTrack& track)
{
    return static_cast<uint8_t>((track.data ? kCdDataTrackControl : 0) |
                                (track.copyPermitted ? kCdCopyPermittedControl : 0) |
                                (track.preEmphasis ? kCdPreEmphasisControl : 0));
}

} // namespace

ImageParse ReadImage(const std::filesystem::path& image)
{
    const std::string extension = LowerAscii(image.extension().string());
    if (extension == ".cue")
        return ReadCueImage(image);
    if (extension == ".nrg")
        return ReadNrgImage(image);
    if (extension == ".toc")
        return ReadTocImage(image);
    if (extension == ".bin") {
        std::filesystem::path sheet = image;
        sheet.replace_extension(".cue");
        // The sheet is named, not the .bin the user gave: it is the one that cannot be read.
        std::string problem;
        if (!OpenRegularFile(sheet, problem))
            return ImageParse::Failed(
                "its cue sheet \"" + sheet.string() + "\"" +
                (problem == "the file does not exist" ? " is missing" : ": " + problem));
        return ReadCueImage(sheet);
    }
    // The image itself must be a regular file before its kind matters.
    std::string problem;
    if (!OpenRegularFile(image, problem))
        return ImageParse::Failed(problem);
    return ImageParse::Failed("it is not a disc image (a .cue, .toc or .nrg file)");
}

ImageDisc::ImageDisc(ImageLayout layout) : layout_(std::move(layout)) {}

ImageDisc::~ImageDisc() = default;

std::unique_ptr<ImageDisc> ImageDisc::Open(ImageLayout layout, std::string& problem)
{
    std::unique_ptr<ImageDisc> disc(new ImageDisc(std::move(layout)));
    for (const ImageDataFile& file : disc->layout_.files) {
        std::string why;
        UniqueFd fd = OpenRegularFile(file.path, why);
        if (!fd) {
            problem = "its data file \"" + file.path.string() + "\": " + why;
            return nullptr;
        }
        disc->files_.push_back({std::move(fd), nullptr});
    }
    return disc;
}

std::optional<DiscTracks> ImageDisc::Tracks()
{
    DiscTracks disc;
    disc.firstTrack = layout_.tracks.front().number;
    for (const ImageTrack& track : layout_.tracks)
        disc.tracks.push_back({track.start, Control(track)});
    disc.leadOut = layout_.leadOut;
    return disc;
}

std::optional<uint32_t> ImageDisc::LeadOut()
{
    return layout_.leadOut;
}

std::vector<std::optional<uint32_t>> ImageDisc::Pregaps()
{
    std::vector<std::optional<uint32_t>> pregaps;
    for (const ImageTrack& track : layout_.tracks)
        pregaps.push_back(track.pregap);
    return pregaps;
}

std::optional<CdDiscFacts> ImageDisc::Facts(CdFactsDepth)
{
    CdDiscFacts facts;
    facts.Catalog = layout_.catalog;
    facts.Title = layout_.title;
    facts.Performer = layout_.performer;
    for (const ImageTrack& track : layout_.tracks)
        facts.Tracks.push_back(
            {track.session, track.preEmphasis, track.isrc, track.title, track.performer});
    return facts;
}

bool ImageDisc::ReadExtent(const ImageExtent& extent, uint8_t* data, uint32_t first, uint32_t count)
{
    const std::size_t bytes = std::size_t{count} * kSectorBytes;
    if (!extent.file) {
        std::memset(data, 0, bytes);
        return true;
    }
    const ImageDataFile& file = layout_.files[*extent.file];
    SourceFile& source = files_[*extent.file];
    const uint64_t offset = extent.byteOffset + uint64_t{first - extent.firstSector} * kSectorBytes;
    if (file.format == ImageFileFormat::Flac) {
        if (!source.flac) {
            std::string ignored;
            source.flac =
                FlacSectors::Open(UniqueFd(::fcntl(source.fd.get(), F_DUPFD_CLOEXEC, 0)), ignored);
            if (!source.flac)
                return false;
        }
        return source.flac->Read(data, offset / 4, uint64_t{count} * kFramesPerSector);
    }
    if (!ReadAt(source.fd.get(), data, bytes, file.streamOffset + offset))
        return false;
    if (file.format == ImageFileFormat::RawBigEndian)
        SwapSampleBytes(data, bytes);
    return true;
}

bool ImageDisc::ReadAudio(uint8_t* data, uint32_t start, uint32_t count)
{
    const std::lock_guard lock(readMutex_);
    const uint64_t end = uint64_t{start} + count;
    for (uint32_t sector = start; sector < end;) {
        // The extent holding this sector: the last one starting at or before it.
        const auto after = std::ranges::upper_bound(layout_.extents, sector, std::less{},
                                                    &ImageExtent::firstSector);
        if (after == layout_.extents.begin())
            return false;
        const ImageExtent& extent = *std::prev(after);
        const uint64_t extentEnd = uint64_t{extent.firstSector} + extent.sectorCount;
        if (sector >= extentEnd)
            return false;
        const auto n = static_cast<uint32_t>(std::min(end, extentEnd) - sector);
        if (!ReadExtent(extent, data + std::size_t{sector - start} * kSectorBytes, sector, n))
            return false;
        sector += n;
    }
    return true;
}

// An image reads at once: there is nothing to stop.
bool ImageDisc::ReadAudioSecure(uint8_t* data, uint32_t start, uint32_t count,
                                std::vector<uint32_t>& doubtful, const std::stop_token&)
{
    doubtful.clear();
    return ReadAudio(data, start, count);
}

} // namespace corvath
