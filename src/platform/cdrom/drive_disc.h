#pragma once

#include "platform/cdrom/cdio_source.h"
#include "platform/cdrom/open_disc.h"
#include "platform/cdrom/paranoia_reader.h"

#include <memory>
#include <mutex>

namespace corvath {

/// A disc in a drive, read through libcdio; secure reads go through libcdio-paranoia, whose
/// session is opened by the first of them.
class DriveDisc final : public OpenDisc {
public:
    explicit DriveDisc(CdioHandle cdio) : cdio_(std::move(cdio)) {}

    std::optional<DiscTracks> Tracks() override;
    std::optional<uint32_t> LeadOut() override;
    std::vector<std::optional<uint32_t>> Pregaps() override;
    std::optional<CdDiscFacts> Facts(CdFactsDepth depth) override;
    bool ReadAudio(uint8_t* data, uint32_t start, uint32_t count) override;
    bool ReadAudioSecure(uint8_t* data, uint32_t start, uint32_t count,
                         std::vector<uint32_t>& doubtful, const std::stop_token& stop) override;

private:
    CdioHandle cdio_;
    std::mutex secureMutex_;
    std::unique_ptr<ParanoiaReader> secure_; // closes before cdio_
};

} // namespace corvath
