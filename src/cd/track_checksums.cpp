#include "cd/track_checksums.h"

#include "platform/bytes/little_endian.h"

namespace corvath {

namespace {

// Five frames of 588 samples each.
constexpr uint64_t kSkippedAtDiscEdges = 5 * 588;

} // namespace

TrackChecksums::TrackChecksums(const TrackPlace& place)
    : firstCounted_(place.firstOnDisc ? kSkippedAtDiscEdges : 1),
      lastCounted_(!place.lastOnDisc                     ? UINT64_MAX
                   : place.samples > kSkippedAtDiscEdges ? place.samples - kSkippedAtDiscEdges
                                                         : 0)
{
}

void TrackChecksums::Add(std::span<const uint8_t> audio)
{
    crc_.Add(audio);
    while (pendingBytes_ > 0 && !audio.empty()) {
        pending_[pendingBytes_++] = audio.front();
        audio = audio.subspan(1);
        if (pendingBytes_ == pending_.size()) {
            pendingBytes_ = 0;
            AddSample(ReadLe32(pending_.data()));
        }
    }
    std::size_t whole = audio.size() - audio.size() % 4;
    for (std::size_t i = 0; i < whole; i += 4)
        AddSample(ReadLe32(audio.data() + i));
    for (; whole < audio.size(); ++whole)
        pending_[pendingBytes_++] = audio[whole];
}

void TrackChecksums::AddSample(uint32_t sample)
{
    ++position_;
    if (position_ < firstCounted_ || position_ > lastCounted_)
        return;
    const uint64_t product = position_ * sample;
    // Positions and sums wrap at 32 bits, as the database computes them.
    v1_ += static_cast<uint32_t>(product);
    v2_ += static_cast<uint32_t>(product) + static_cast<uint32_t>(product >> 32);
}

} // namespace corvath
