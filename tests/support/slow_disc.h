#pragma once

#include "platform/cdrom/open_disc.h"

#include <atomic>
#include <chrono>
#include <cstdint>

namespace corvath::test {

/// A stand-in for a drive with a damaged disc: one audio track of silence whose secure reads
/// each take readTime, as paranoia's retries can, unless a stop is asked for meanwhile; plain
/// reads come at once.
class SlowDisc final : public OpenDisc {
public:
    SlowDisc(uint32_t sectors, std::chrono::milliseconds readTime);

    std::optional<DiscTracks> Tracks() override;
    std::optional<uint32_t> LeadOut() override { return sectors_; }
    std::vector<std::optional<uint32_t>> Pregaps() override { return {std::nullopt}; }
    std::optional<CdDiscFacts> Facts(CdFactsDepth) override;
    bool ReadAudio(uint8_t* data, uint32_t start, uint32_t count) override;
    bool ReadAudioSecure(uint8_t* data, uint32_t start, uint32_t count,
                         std::vector<uint32_t>& doubtful, const std::stop_token& stop) override;

private:
    const uint32_t sectors_;
    const std::chrono::milliseconds readTime_;
};

} // namespace corvath::test
