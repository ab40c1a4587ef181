#pragma once

#include "platform/cdrom/open_disc.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>

namespace corvath::bench {

/// A drive that serves a disc at a chosen speed, 1x being 176,400 bytes a second as an audio CD
/// plays: each read returns when the drive would have delivered its sectors. Time the reader
/// spends elsewhere is not made up later, as a drive does not read ahead for it.
class ThrottledDisc final : public OpenDisc {
public:
    ThrottledDisc(std::unique_ptr<OpenDisc> disc, double speed);

    /// The disc image at path served at speed as a CD layer handle; throws when it cannot be
    /// read.
    static int32_t OpenHandle(const std::filesystem::path& image, double speed);

    std::optional<DiscTracks> Tracks() override { return disc_->Tracks(); }
    std::optional<uint32_t> LeadOut() override { return disc_->LeadOut(); }
    std::vector<std::optional<uint32_t>> Pregaps() override { return disc_->Pregaps(); }
    std::optional<CdDiscFacts> Facts(CdFactsDepth depth) override { return disc_->Facts(depth); }
    bool ReadAudio(uint8_t* data, uint32_t start, uint32_t count) override;
    bool ReadAudioSecure(uint8_t* data, uint32_t start, uint32_t count,
                         std::vector<uint32_t>& doubtful, const std::stop_token& stop) override;

private:
    using Clock = std::chrono::steady_clock;

    /// Waits until count more sectors would have come off the disc.
    void Pace(uint32_t count);

    const std::unique_ptr<OpenDisc> disc_;
    const std::chrono::duration<double> perSector_;
    std::mutex mutex_;
    std::optional<Clock::time_point> due_; // when the last read's sectors are delivered
};

} // namespace corvath::bench
