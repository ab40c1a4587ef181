#include "support/slow_disc.h"

#include "platform/cdrom/cd_records.h"

#include <condition_variable>
#include <cstring>
#include <mutex>

namespace corvath::test {

SlowDisc::SlowDisc(uint32_t sectors, std::chrono::milliseconds readTime)
    : sectors_(sectors), readTime_(readTime)
{
}

std::optional<DiscTracks> SlowDisc::Tracks()
{
    DiscTracks disc;
    disc.tracks.push_back({0, 0});
    disc.leadOut = sectors_;
    return disc;
}

std::optional<CdDiscFacts> SlowDisc::Facts(CdFactsDepth)
{
    CdDiscFacts facts;
    facts.Tracks.resize(1);
    return facts;
}

bool SlowDisc::ReadAudio(uint8_t* data, uint32_t start, uint32_t count)
{
    if (start + count > sectors_)
        return false;
    std::memset(data, 0, std::size_t{count} * kCdSectorBytes);
    return true;
}

bool SlowDisc::ReadAudioSecure(uint8_t* data, uint32_t start, uint32_t count,
                               std::vector<uint32_t>& doubtful, const std::stop_token& stop)
{
    doubtful.clear();
    std::mutex mutex;
    std::condition_variable_any never;
    std::unique_lock lock(mutex);
    if (never.wait_for(lock, stop, readTime_, [] { return false; }) || stop.stop_requested())
        return false;
    return ReadAudio(data, start, count);
}

} // namespace corvath::test
