#include "platform/cdrom/drive_disc.h"

namespace corvath {

std::optional<DiscTracks> DriveDisc::Tracks()
{
    return ReadDiscTracks(cdio_.get());
}

std::optional<uint32_t> DriveDisc::LeadOut()
{
    return LeadOutSector(cdio_.get());
}

std::vector<std::optional<uint32_t>> DriveDisc::Pregaps()
{
    return ReadPregapSectors(cdio_.get());
}

std::optional<CdDiscFacts> DriveDisc::Facts(CdFactsDepth depth)
{
    return ReadDriveFacts(cdio_.get(), depth);
}

bool DriveDisc::ReadAudio(uint8_t* data, uint32_t start, uint32_t count)
{
    return ReadAudioSectors(cdio_.get(), data, start, count);
}

bool DriveDisc::ReadAudioSecure(uint8_t* data, uint32_t start, uint32_t count,
                                std::vector<uint32_t>& doubtful, const std::stop_token& stop)
{
    const std::lock_guard lock(secureMutex_);
    if (!secure_)
        secure_ = ParanoiaReader::Open(cdio_.get());
    return secure_ && secure_->Read(data, start, count, doubtful, stop);
}

} // namespace corvath
