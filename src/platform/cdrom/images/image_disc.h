#pragma once

#include "platform/cdrom/images/image_layout.h"
#include "platform/cdrom/open_disc.h"
#include "platform/files/unique_fd.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

namespace corvath {

class FlacSectors;

/// Reads a disc image by its kind, told by the extension: a cue sheet (.cue, or the .bin beside
/// one), a cdrdao TOC file (.toc) or an NRG image (.nrg).
ImageParse ReadImage(const std::filesystem::path& image);

/// A disc described by an image, its audio read from the image's data files. Reads are exact:
/// secure reads read the same way and find no doubtful sectors.
class ImageDisc final : public OpenDisc {
public:
    /// Opens the layout's data files; null, with problem saying why, when one cannot be opened.
    static std::unique_ptr<ImageDisc> Open(ImageLayout layout, std::string& problem);
    ~ImageDisc() override;

    std::optional<DiscTracks> Tracks() override;
    std::optional<uint32_t> LeadOut() override;
    std::vector<std::optional<uint32_t>> Pregaps() override;
    std::optional<CdDiscFacts> Facts(CdFactsDepth depth) override;
    bool ReadAudio(uint8_t* data, uint32_t start, uint32_t count) override;
    bool ReadAudioSecure(uint8_t* data, uint32_t start, uint32_t count,
                         std::vector<uint32_t>& doubtful, const std::stop_token& stop) override;

private:
    struct SourceFile {
        UniqueFd fd;
        std::unique_ptr<FlacSectors> flac; ///< a FLAC file's decoder, made by its first read
    };

    explicit ImageDisc(ImageLayout layout);
    bool ReadExtent(const ImageExtent& extent, uint8_t* data, uint32_t first, uint32_t count);

    ImageLayout layout_;
    std::vector<SourceFile> files_;
    std::mutex readMutex_; // a FLAC decoder reads one place at a time
};

} // namespace corvath
